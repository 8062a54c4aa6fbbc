#pragma once
// The language files a user can choose from: every "*.lng" file of the
// language folder with the description in its [Info] section, and the path
// of the chosen file.

#include <string>
#include <vector>

struct PlLanguageInfo {
    std::string fileName;      // without folder: the value of SysLanguageFile
    std::string languageName;  // "<>" when the file does not name its language
    std::string translator;
    std::string version;

    bool operator==(const PlLanguageInfo&) const = default;
};

// The language files in `folder`, by file name (the order of a Windows
// folder listing). A missing or unreadable folder lists nothing.
std::vector<PlLanguageInfo> PlListLanguages(const std::string& folder);

// The path of the language file `fileName` (SysLanguageFile) in `folder`. An
// empty name yields the folder itself, from which no text can be read, so
// the built-in texts stay.
std::string PlLanguageFilePath(const std::string& folder, const std::string& fileName);
