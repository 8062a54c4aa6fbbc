#include "app/texts/pl_language_list.h"

#include "app/texts/pl_text_table.h"
#include "platform/profile/pl_profile_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

PlLanguageInfo Describe(const std::filesystem::path& path)
{
    const PlProfileFile file = PlProfileFile::Load(path.string());
    const auto info = [&](const char* key, const char* missing) {
        return file.GetString("Info", key, missing, PlTextTable::kValueBuffer);
    };
    return {path.filename().string(), info("LanguageName", "<>"), info("Translator", ""), info("ProductVersion", "")};
}

}  // namespace

std::vector<PlLanguageInfo> PlListLanguages(const std::string& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".lng" && it->is_regular_file(error))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    std::vector<PlLanguageInfo> languages;
    languages.reserve(files.size());
    for (const auto& file : files)
        languages.push_back(Describe(file));
    return languages;
}

std::string PlLanguageFilePath(const std::string& folder, const std::string& fileName)
{
    return folder + "/" + fileName;
}
