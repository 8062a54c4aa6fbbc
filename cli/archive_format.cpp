#include "cli/archive_format.h"

#include "archive/pl_archive_row.h"

#include <cstdio>
#include <ctime>

namespace pl::cli {

namespace {

constexpr std::uint64_t kFileTimePerSecond = 10000000ULL;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;

bool IsArchiveRow(const PlRow& row)
{
    return row.FieldCount() == 5 && row.FieldLength(0) == 8;
}

// REQUIRES: IsArchiveRow(row).
std::uint64_t Received(const PlRow& row)
{
    return pl::archive::ReceivedTime(row).value_or(0);
}

std::string TypeWord(std::string_view type)
{
    if (type == "1")
        return "received";
    if (type == "2")
        return "sent";
    return "type \"" + Printable(type) + "\"";
}

std::string RawFields(const PlRow& row, const char* separator)
{
    std::string text;
    for (std::uint16_t i = 0; i < row.FieldCount(); ++i) {
        if (i > 0)
            text += separator;
        text.append("[").append(std::to_string(i)).append("] \"").append(Printable(row.FieldText(i))).append("\"");
    }
    return text;
}

// Text lines (CR LF or LF separated), each indented.
std::string Indented(std::string_view text)
{
    std::string out = "    ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i] == '\n' ? std::string("\n    ") : Printable(text.substr(i, 1));
    }
    return out + "\n";
}

}  // namespace

std::string FormatFileTime(std::uint64_t fileTime)
{
    const std::int64_t seconds = static_cast<std::int64_t>(fileTime / kFileTimePerSecond) - kSecondsFrom1601To1970;
    const time_t t = static_cast<time_t>(seconds);
    tm parts{};
    char text[64];
    if (!gmtime_r(&t, &parts) || parts.tm_year + 1900 > 9999) {
        std::snprintf(text, sizeof text, "FILETIME %llu", static_cast<unsigned long long>(fileTime));
        return text;
    }
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(fileTime % kFileTimePerSecond / 10000));
    return text;
}

std::string Printable(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\n' && c != '\t') || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CsvQuote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string FormatReadable(std::int32_t index, std::uint32_t page, std::uint32_t slot, const PlRow& row)
{
    // std::string("#"): GCC 12 takes `"#" + text` at -O2 and above for an
    // overlapping copy (-Wrestrict).
    const std::string place =
        std::string("#") + std::to_string(index) + " (" + std::to_string(page) + ":" + std::to_string(slot) + ")";
    if (!IsArchiveRow(row)) {
        std::string text = place + "  raw row, " + std::to_string(row.FieldCount()) + " fields\n";
        for (std::uint16_t i = 0; i < row.FieldCount(); ++i)
            text += "    [" + std::to_string(i) + "] \"" + Printable(row.FieldText(i)) + "\"\n";
        return text;
    }
    return place + "  " + FormatFileTime(Received(row)) + "  " + TypeWord(row.FieldText(4)) + "  from " +
           Printable(row.FieldText(1)) + " to " + Printable(row.FieldText(2)) + "\n" + Indented(row.FieldText(3));
}

std::string CsvHeader()
{
    return "index,page,slot,received,type,origin,recipient,text\n";
}

std::string FormatCsv(std::int32_t index, std::uint32_t page, std::uint32_t slot, const PlRow& row)
{
    std::string line = std::to_string(index) + "," + std::to_string(page) + "," + std::to_string(slot) + ",";
    if (!IsArchiveRow(row))
        return line + ",raw,,," + CsvQuote(RawFields(row, ", ")) + "\n";
    return line + CsvQuote(FormatFileTime(Received(row))) + "," + CsvQuote(row.FieldText(4)) + "," +
           CsvQuote(row.FieldText(1)) + "," + CsvQuote(row.FieldText(2)) + "," + CsvQuote(row.FieldText(3)) + "\n";
}

}  // namespace pl::cli
