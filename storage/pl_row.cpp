#include "storage/pl_row.h"

#include "storage/pl_storage_errors.h"

namespace {
constexpr std::uint32_t kMaxRowBytes = 0xFFFF;

void CheckRowSize(std::uint64_t size, const char* condition)
{
    if (size > kMaxRowBytes)
        throw PlDatabaseErr(
            PlFormatDiagnostic("PlRow::SetField()", condition, {{"size", static_cast<long long>(size)}}));
}
}  // namespace

PlRow& PlRow::operator=(const PlRow& other)
{
    if (this != &other) {
        bytes_ = other.Owned();
        view_ = nullptr;
    }
    return *this;
}

PlByteBuffer PlRow::Owned() const
{
    if (!view_)
        return bytes_;
    PlByteBuffer copy;
    copy.Assign(view_, viewSize_);
    return copy;
}

void PlRow::Own()
{
    if (view_) {
        bytes_.Assign(view_, viewSize_);
        view_ = nullptr;
    }
}

bool PlRow::operator==(const PlRow& other) const
{
    return GetSize() == other.GetSize() && (GetSize() == 0 || std::memcmp(Data(), other.Data(), GetSize()) == 0);
}

void PlRow::Reset(std::uint32_t size)
{
    view_ = nullptr;
    bytes_.Resize(size);  // zero-filled, so the field count is 0
}

void PlRow::SetFieldCount(std::uint16_t n)
{
    Own();
    const std::uint16_t old = FieldCount();
    if (n > old) {
        const std::uint32_t grow = 4u * (n - old);
        CheckRowSize(std::uint64_t{GetSize()} + grow, "size > 0xFFFF");
        bytes_.InsertGap(FieldOffsetAt(old), grow);
        for (std::uint16_t i = 0; i < old; ++i)
            bytes_.PutU16(FieldOffsetAt(i), static_cast<std::uint16_t>(bytes_.GetU16(FieldOffsetAt(i)) + grow));
        for (std::uint16_t i = old; i < n; ++i) {
            bytes_.PutU16(FieldOffsetAt(i), static_cast<std::uint16_t>(GetSize()));
            bytes_.PutU16(FieldOffsetAt(i) + 2, 0);
        }
    } else if (n < old) {
        const std::uint32_t shrink = 4u * (old - n);
        const std::uint32_t tail = bytes_.GetU16(FieldOffsetAt(n));
        bytes_.Remove(tail, GetSize() - tail);
        bytes_.Remove(FieldOffsetAt(n), shrink);
        for (std::uint16_t i = 0; i < n; ++i)
            bytes_.PutU16(FieldOffsetAt(i), static_cast<std::uint16_t>(bytes_.GetU16(FieldOffsetAt(i)) - shrink));
    }
    bytes_.PutU16(0, n);
}

void PlRow::SetField(std::uint16_t i, const void* bytes, std::uint16_t len)
{
    Own();
    // Checked before anything changes, so a refused field leaves the row as it was.
    const std::uint64_t added =
        i >= FieldCount() ? 4u * (i + 1u - FieldCount()) + std::uint64_t{len} : std::uint64_t{len};
    CheckRowSize(std::uint64_t{GetSize()} + added, "size > 0xFFFF");
    if (i >= FieldCount())
        SetFieldCount(static_cast<std::uint16_t>(i + 1));
    const std::uint16_t offset = bytes_.GetU16(FieldOffsetAt(i));
    const std::uint16_t old = FieldLength(i);
    if (len > old) {
        bytes_.InsertGap(offset, len - old);
    } else if (len < old) {
        bytes_.Remove(offset, old - len);
    }
    bytes_.PutU16(FieldOffsetAt(i) + 2, len);
    const int diff = int{len} - int{old};
    for (std::uint16_t j = static_cast<std::uint16_t>(i + 1); j < FieldCount(); ++j)
        bytes_.PutU16(FieldOffsetAt(j), static_cast<std::uint16_t>(bytes_.GetU16(FieldOffsetAt(j)) + diff));
    bytes_.Write(offset, bytes, len);
}

void PlRow::SetField(std::uint16_t i, std::string_view text)
{
    CheckRowSize(text.size(), "len > 0xFFFF");
    SetField(i, text.data(), static_cast<std::uint16_t>(text.size()));
}

bool pl::row::DirectoryInside(const std::uint8_t* bytes, std::uint32_t size)
{
    if (size < 2)
        return false;
    const std::uint32_t n = pl::LoadLe16(bytes);
    const std::uint32_t dirEnd = 2 + 4 * n;
    if (dirEnd > size)
        return false;
    bool outside = false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t entry = pl::LoadLe32(bytes + 2 + 4 * i);  // offset, then length
        const std::uint32_t off = entry & 0xFFFF;
        outside |= (off < dirEnd) | (off + (entry >> 16) > size);
    }
    return !outside;
}
