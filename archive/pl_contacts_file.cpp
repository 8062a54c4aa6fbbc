#include "archive/pl_contacts_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include <cstdio>
#include <filesystem>

namespace {

// Writes all bytes; false on any failure.
bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolderOf(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

PlContactRecord PlParseContactLine(std::string_view line)
{
    std::string_view fields[5];
    for (std::string_view& field : fields) {
        const std::size_t end = line.find(';');
        field = line.substr(0, end);
        line = end == std::string_view::npos ? std::string_view{} : line.substr(end + 1);
    }
    PlContactRecord record;
    record.type = fields[0] == "1" ? kContactUser : kContactWorkgroup;
    record.realName = fields[1];
    record.displayName = fields[2];
    record.groupName = fields[3];
    record.groupOpen = fields[4] == "1" ? 1 : 0;
    return record;
}

std::vector<PlContactRecord> PlParseContactsText(std::string_view text)
{
    std::vector<PlContactRecord> records;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        records.push_back(PlParseContactLine(line));
    }
    return records;
}

std::string PlFormatContactLine(const PlContactRecord& record)
{
    return std::to_string(record.type) + ";" + record.realName + ";" + record.displayName + ";" + record.groupName +
           ";" + std::to_string(record.groupOpen) + "\r\n";
}

bool PlReadContactsFile(const std::string& path, std::vector<PlContactRecord>& records)
{
    records.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    records = PlParseContactsText(text);
    return true;
}

bool PlWriteContactsFile(const std::string& path, const std::vector<PlContactRecord>& records)
{
    std::string text;
    for (const PlContactRecord& record : records)
        text += PlFormatContactLine(record);
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}
