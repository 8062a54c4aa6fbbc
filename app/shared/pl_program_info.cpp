#include "app/shared/pl_program_info.h"

#include "platform/config/pl_config_file.h"
#include "platform/xdg/pl_xdg_paths.h"

#include <sys/stat.h>

namespace pl {

std::string ProgramFile()
{
    return ExecutablePath();
}

std::string ProgramFolder()
{
    const std::string file = ProgramFile();
    return file.empty() ? std::string() : ParentFolder(file);
}

std::string LanguageFolder()
{
    return LanguageFolderFor(ProgramFolder());
}

std::string LanguageFolderFor(const std::string& programFolder)
{
    std::string beside = programFolder + "/language";
    struct stat info {};
    if (!programFolder.empty() && ::stat(beside.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return beside;
    return PL_INSTALLED_LANGUAGE_FOLDER;
}

std::string ProductVersion()
{
    return PL_PRODUCT_VERSION;
}

std::string FileVersion()
{
    return PL_FILE_VERSION;
}

}  // namespace pl
