#include "archive/pl_archive_row.h"

#include "archive/pl_archive_time.h"
#include "platform/bytes/pl_le_bytes.h"
#include "platform/text/pl_codepage.h"
#include "platform/text/pl_utf8.h"
#include "storage/page_format.h"

namespace pl::archive {

namespace {

// "…": where a text was cut to fit a row.
constexpr std::string_view kCutMark = "\xE2\x80\xA6";
// A name longer than this cannot be a user or computer name; it is cut so
// that the text keeps its room.
constexpr std::size_t kMaxNameBytes = 255;
// Field count, five directory entries, "Received" and "Type".
constexpr std::size_t kFixedRowBytes = 2 + 4 * kFieldCount + 8 + 1;

// The text, or its longest start that ends at a character boundary (and
// not between the CR and LF of a line break) followed by the mark, in at
// most maxBytes bytes.
std::string Fit(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::string_view kept = pl::utf8::PrefixBytes(text, maxBytes - kCutMark.size());
    if (kept.ends_with('\r') && text[kept.size()] == '\n')
        kept.remove_suffix(1);
    return std::string(kept) + std::string(kCutMark);
}

}  // namespace

PlRow MakeRow(std::uint64_t localFileTime, std::string_view origin, std::string_view recipient, std::string_view text,
              char type)
{
    const std::string from = Fit(origin, kMaxNameBytes);
    const std::string to = Fit(recipient, kMaxNameBytes);
    const std::string message = Fit(text, pl::page::kMaxRowSize - kFixedRowBytes - from.size() - to.size());
    const std::uint64_t time = localFileTime - localFileTime % kFileTimeMillisecond;
    PlRow row;
    std::uint8_t timeBytes[8];
    for (int i = 0; i < 8; ++i)
        timeBytes[i] = static_cast<std::uint8_t>(time >> (8 * i));
    row.SetField(kReceivedField, timeBytes, sizeof timeBytes);
    row.SetField(kOriginField, from);
    row.SetField(kRecipientField, to);
    row.SetField(kMessageField, message);
    row.SetField(kTypeField, &type, 1);
    return row;
}

std::string WithCrLf(std::string_view text)
{
    const std::string protocolBreak = pl::OemToAnsi(std::string(1, '\x14'));
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size();) {
        if (!protocolBreak.empty() && text.substr(i).starts_with(protocolBreak)) {
            out += "\r\n";
            i += protocolBreak.size();
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            i += 2;
        } else if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i++];
        }
    }
    return out;
}

PlRow ReceivedRow(const CMsg& msg, std::uint64_t localFileTime)
{
    return MakeRow(localFileTime, msg.from, msg.to, WithCrLf(msg.text), kReceivedType);
}

PlRow SentRow(const CMsg& msg, std::uint64_t localFileTime)
{
    return MakeRow(localFileTime, msg.from, msg.to, WithCrLf(msg.text), kSentType);
}

bool HasSchema(const PlRow& row)
{
    return row.FieldCount() >= kFieldCount && row.IsWellFormed();
}

std::optional<std::uint64_t> ReceivedTime(const PlRow& row)
{
    if (row.FieldLength(kReceivedField) != 8)
        return std::nullopt;
    return pl::LoadLe64(row.GetField(kReceivedField));  // low 32 bits first, each half little-endian
}

char RowType(const PlRow& row)
{
    return row.FieldLength(kTypeField) > 0 ? static_cast<char>(row.GetField(kTypeField)[0]) : '\0';
}

}  // namespace pl::archive
