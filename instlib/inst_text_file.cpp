#include "instlib/inst_text_file.h"

#include "platform/config/pl_config_file.h"

#include <sys/stat.h>

#include <cerrno>

namespace pl::inst {

namespace {

constexpr std::size_t kLargestFile = std::size_t{1} << 20;

}  // namespace

TextFile ReadTextFile(const std::string& path)
{
    TextFile file;
    errno = 0;
    ConfigFileContents contents = ReadConfigFile(path, kLargestFile);
    switch (contents.state) {
    case ConfigFileContents::State::Missing: return file;
    case ConfigFileContents::State::Unreadable: file.result = ResultForErrno(errno); return file;
    case ConfigFileContents::State::Read: break;
    }
    if (contents.truncated) {
        file.result = InstResult::Failed;
        return file;
    }
    file.exists = true;
    file.text = std::move(contents.bytes);
    return file;
}

InstResult ReplaceTextFile(const std::string& path, std::string_view text, unsigned newMode)
{
    struct stat info {};
    const unsigned mode = ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : newMode;
    errno = 0;
    if (WriteFileAtomically(path, text, mode))
        return InstResult::Success;
    return ResultForErrno(errno);
}

}  // namespace pl::inst
