#include "app/archive_view/pl_archive_export.h"

#include "app/archive_view/pl_archive_row_text.h"

namespace pl::archive_view {
namespace {

constexpr std::string_view kCsvHeader = "received,type,origin,recipient,text\r\n";
constexpr std::string_view kTextDivider = "----------------------------------------\n";

std::string TypeWord(const std::string& type)
{
    if (type == "1")
        return "received";
    if (type == "2")
        return "sent";
    return type;
}

// CR LF and lone CRs as LF.
std::string WithLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

}  // namespace

std::string CsvField(std::string_view text)
{
    std::string out = "\"";
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        out += '\'';
    for (const char c : text)
        out += c == '"' ? std::string_view("\"\"") : std::string_view(&c, 1);
    return out + "\"";
}

std::string CsvRecord(const PlArchiveRecord& record)
{
    const std::string received = record.received ? PlFormatLocalTime(*record.received) : std::string();
    return CsvField(received) + "," + CsvField(TypeWord(record.type)) + "," + CsvField(record.origin) + "," +
           CsvField(record.recipient) + "," + CsvField(record.message) + "\r\n";
}

}  // namespace pl::archive_view

std::int32_t PlExportRecords(PlDataSet& dataSet, PlExportFormat format, const std::string& header,
                             const PlDateTimeFormat& dateFormat, const std::function<void(std::string_view)>& write)
{
    using namespace pl::archive_view;
    if (format == PlExportFormat::kCsv)
        write(kCsvHeader);
    std::int32_t written = 0;
    for (std::int32_t row = 0;; ++row) {
        const auto record = PlReadArchiveRecord(dataSet, row);
        if (!record)
            return written;
        if (format == PlExportFormat::kCsv) {
            write(CsvRecord(*record));
        } else {
            if (written > 0)
                write(kTextDivider);
            write(WithLf(PlArchiveRowText(*record, header, dateFormat)) + "\n");
        }
        ++written;
    }
}
