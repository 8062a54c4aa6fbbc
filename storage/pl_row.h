#pragma once
// PlRow: a database row, a self-describing list of byte fields:
//   field count N (16-bit), N pairs {offset from row start, length} (16-bit
//   each), then the field bytes.
// GetField and FieldLength do not check their index: REQUIRES i < FieldCount()
// and, for a row read from a file, IsWellFormed(). A row owns its bytes, or
// views bytes owned elsewhere (View) until it is changed or copied.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "storage/pl_byte_buffer.h"

namespace pl::row {

// True when the field directory of the row in bytes[0, size) and every field
// lie inside it. Runs for every row a scan reads: without a branch per field.
bool DirectoryInside(const std::uint8_t* bytes, std::uint32_t size);

}  // namespace pl::row

class PlRow {
public:
    // A 2-byte row with no fields.
    PlRow() : bytes_(2) {}
    // A copy owns its bytes, also the copy of a row that views others'.
    PlRow(const PlRow& other) : bytes_(other.Owned()) {}
    PlRow& operator=(const PlRow& other);
    PlRow(PlRow&&) noexcept = default;
    PlRow& operator=(PlRow&&) noexcept = default;

    // size bytes with field count 0 and the rest zero: a reserved row.
    void Reset(std::uint32_t size);
    // Takes the bytes of a stored row as they are.
    void Assign(const void* bytes, std::uint32_t n)
    {
        view_ = nullptr;
        bytes_.Assign(bytes, n);
    }
    // Reads the n bytes at `bytes` in place, without copying them: a scan
    // shows each row of a page to its filter this way. REQUIRES: they stay
    // as they are while the row reads them. Changing the row copies them
    // first.
    void View(const void* bytes, std::uint32_t n)
    {
        view_ = static_cast<const std::uint8_t*>(bytes);
        viewSize_ = n;
    }

    std::uint32_t GetSize() const { return view_ ? viewSize_ : bytes_.Size(); }
    const std::uint8_t* Data() const { return view_ ? view_ : bytes_.Data(); }

    std::uint16_t FieldCount() const { return GetSize() >= 2 ? pl::LoadLe16(Data()) : 0; }
    // Grows or shrinks the field list; new fields are empty and lie at the end.
    void SetFieldCount(std::uint16_t n);
    // Stores len bytes as field i, adding fields up to i when needed. Throws
    // PlDatabaseErr when the row would outgrow its 16-bit offsets.
    void SetField(std::uint16_t i, const void* bytes, std::uint16_t len);
    void SetField(std::uint16_t i, std::string_view text);

    const std::uint8_t* GetField(std::uint16_t i) const { return Data() + pl::LoadLe16(Data() + FieldOffsetAt(i)); }
    std::uint16_t FieldLength(std::uint16_t i) const { return pl::LoadLe16(Data() + FieldOffsetAt(i) + 2); }
    std::string_view FieldText(std::uint16_t i) const
    {
        return {reinterpret_cast<const char*>(GetField(i)), FieldLength(i)};
    }

    // True when the field directory and every field lie inside the row.
    bool IsWellFormed() const { return pl::row::DirectoryInside(Data(), GetSize()); }

    // The same bytes.
    bool operator==(const PlRow& other) const;

private:
    static std::uint32_t FieldOffsetAt(std::uint16_t i) { return 2 + 4u * i; }
    // The row's bytes as a buffer of its own.
    PlByteBuffer Owned() const;
    // A row that views others' bytes copies them.
    void Own();

    PlByteBuffer bytes_;
    const std::uint8_t* view_ = nullptr;  // the bytes viewed, or null: the row owns bytes_
    std::uint32_t viewSize_ = 0;
};
