#pragma once
// PlRow: a database row, a self-describing list of byte fields:
//   field count N (16-bit), N pairs {offset from row start, length} (16-bit
//   each), then the field bytes.
// GetField and FieldLength do not check their index: REQUIRES i < FieldCount()
// and, for a row read from a file, IsWellFormed().

#include <cstdint>
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

    // size bytes with field count 0 and the rest zero: a reserved row.
    void Reset(std::uint32_t size);
    // Takes the bytes of a stored row as they are.
    void Assign(const void* bytes, std::uint32_t n) { bytes_.Assign(bytes, n); }

    std::uint32_t GetSize() const { return bytes_.Size(); }
    const std::uint8_t* Data() const { return bytes_.Data(); }
    const PlByteBuffer& Buffer() const { return bytes_; }

    std::uint16_t FieldCount() const { return bytes_.Size() >= 2 ? bytes_.GetU16(0) : 0; }
    // Grows or shrinks the field list; new fields are empty and lie at the end.
    void SetFieldCount(std::uint16_t n);
    // Stores len bytes as field i, adding fields up to i when needed. Throws
    // PlDatabaseErr when the row would outgrow its 16-bit offsets.
    void SetField(std::uint16_t i, const void* bytes, std::uint16_t len);
    void SetField(std::uint16_t i, std::string_view text);

    const std::uint8_t* GetField(std::uint16_t i) const { return bytes_.At(bytes_.GetU16(FieldOffsetAt(i))); }
    std::uint16_t FieldLength(std::uint16_t i) const { return bytes_.GetU16(FieldOffsetAt(i) + 2); }
    std::string_view FieldText(std::uint16_t i) const
    {
        return {reinterpret_cast<const char*>(GetField(i)), FieldLength(i)};
    }

    // True when the field directory and every field lie inside the row.
    bool IsWellFormed() const { return pl::row::DirectoryInside(bytes_.Data(), bytes_.Size()); }

    bool operator==(const PlRow& other) const = default;

private:
    static std::uint32_t FieldOffsetAt(std::uint16_t i) { return 2 + 4u * i; }

    PlByteBuffer bytes_;
};
