#include "archive/pl_archive_row.h"

#include "platform/text/pl_codepage.h"
#include "storage/pl_storage_errors.h"

namespace pl::archive {

namespace {

std::uint16_t FieldLength(std::string_view text)
{
    if (text.size() > 0xFFFF)
        throw PlDatabaseErr(PlFormatDiagnostic("pl::archive::MakeRow()", "text.size() <= 0xFFFF",
                                               {{"text.size()", static_cast<long long>(text.size())}}));
    return static_cast<std::uint16_t>(text.size());
}

}  // namespace

PlRow MakeRow(std::uint64_t localFileTime, std::string_view origin, std::string_view recipient, std::string_view text,
              char type)
{
    PlRow row;
    std::uint8_t time[8];
    for (int i = 0; i < 8; ++i)
        time[i] = static_cast<std::uint8_t>(localFileTime >> (8 * i));
    row.SetField(kReceivedField, time, sizeof time);
    row.SetField(kOriginField, origin.data(), FieldLength(origin));
    row.SetField(kRecipientField, recipient.data(), FieldLength(recipient));
    row.SetField(kMessageField, text.data(), FieldLength(text));
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
