// The language files the project ships: each translates every text id, keeps
// the placeholders, and describes itself in its [Info] section.

#include "app/shared/pl_program_info.h"
#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_language_list.h"
#include "app/texts/pl_text_table.h"
#include "platform/profile/pl_profile_file.h"
#include "platform/text/pl_utf8.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/stat.h>

namespace {

std::vector<std::string> ShippedFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(PL_SOURCE_LANGUAGE_FOLDER))
        if (entry.path().extension() == ".lng")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

bool HasPlaceholder(std::string_view text, std::string_view placeholder)
{
    return text.find(placeholder) != std::string_view::npos;
}

TEST(LanguageFiles, GermanAndRussianAreShipped)
{
    std::vector<std::string> names;
    for (const std::string& file : ShippedFiles())
        names.push_back(std::filesystem::path(file).filename().string());
    EXPECT_NE(std::find(names.begin(), names.end(), "german.lng"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "russian.lng"), names.end());
}

TEST(LanguageFiles, EveryFileTranslatesEveryIdAndKeepsPlaceholders)
{
    constexpr char kMissing[] = "\x01missing";
    for (const std::string& path : ShippedFiles()) {
        SCOPED_TRACE(path);
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_TRUE(pl::utf8::IsValid(bytes.str()));
        EXPECT_FALSE(bytes.str().starts_with("\xEF\xBB\xBF"));

        const PlProfileFile file = PlProfileFile::Parse(bytes.str());
        EXPECT_NE(file.GetString("Info", "LanguageName", kMissing, 2048), kMissing);
        EXPECT_NE(file.GetString("Info", "Translator", kMissing, 2048), kMissing);
        EXPECT_EQ(file.GetString("Info", "ProductVersion", kMissing, 2048), pl::ProductVersion());
        std::vector<PlTextRow> rows(kPlBuiltinTexts, kPlBuiltinTexts + kPlBuiltinTextCount);
        rows.insert(rows.end(), kPlProjectTexts, kPlProjectTexts + kPlProjectTextCount);
        for (const PlTextRow& row : rows) {
            const std::string text = file.GetString(row.section, std::to_string(row.id), kMissing, 2048);
            ASSERT_NE(text, kMissing) << row.id;
            EXPECT_FALSE(text.empty()) << row.id;
            EXPECT_LT(text.size(), 2048u) << row.id;
            for (const char* placeholder : {"%1", "%2"})
                EXPECT_EQ(HasPlaceholder(text, placeholder), HasPlaceholder(row.text, placeholder)) << row.id;
        }
    }
}

// Choosing English after another language needs a file of its own, which
// must say exactly what the program says without one.
TEST(LanguageFiles, EnglishFileHoldsTheBuiltinTexts)
{
    const PlProfileFile file = PlProfileFile::Load(PL_SOURCE_LANGUAGE_FOLDER "/english.lng");
    EXPECT_EQ(file.GetString("Info", "LanguageName", "", 2048), "English");
    std::vector<PlTextRow> rows(kPlBuiltinTexts, kPlBuiltinTexts + kPlBuiltinTextCount);
    rows.insert(rows.end(), kPlProjectTexts, kPlProjectTexts + kPlProjectTextCount);
    for (const PlTextRow& row : rows)
        EXPECT_EQ(file.GetString(row.section, std::to_string(row.id), "", 2048), row.text) << row.id;
}

TEST(LanguageFiles, TheBuildPutsThemBesideTheProgram)
{
    const std::string folder = pl::LanguageFolder();
    EXPECT_EQ(folder, pl::ProgramFolder() + "/language");
    EXPECT_TRUE(std::filesystem::exists(folder + "/german.lng"));
    EXPECT_TRUE(pl::LanguageFolderFor("/nonexistent").ends_with("/share/parlino/language"));
    EXPECT_TRUE(pl::ProgramFile().ends_with("/app_core_tests"));
}

TEST(LanguageFiles, TheListDescribesEveryLanguageFile)
{
    PlTempFolder folder;
    folder.WriteFile("b.lng", "[Info]\nLanguageName=Beta\nTranslator=T\nProductVersion=1.0\n");
    folder.WriteFile("a.lng", "[info]\ntranslator=someone\n");
    folder.WriteFile("notes.txt", "[Info]\nLanguageName=not a language file\n");
    ::mkdir(folder.Path("folder.lng").c_str(), 0700);
    EXPECT_EQ(PlListLanguages(folder.Path()),
              (std::vector<PlLanguageInfo>{{"a.lng", "<>", "someone", ""}, {"b.lng", "Beta", "T", "1.0"}}));
    EXPECT_TRUE(PlListLanguages(folder.Path("missing")).empty());

    const std::vector<PlLanguageInfo> shipped = PlListLanguages(PL_SOURCE_LANGUAGE_FOLDER);
    ASSERT_GE(shipped.size(), 2u);
    for (const PlLanguageInfo& language : shipped)
        EXPECT_NE(language.languageName, "<>") << language.fileName;
}

TEST(LanguageFiles, ChosenFilesOverlayTheBuiltinTexts)
{
    PlTextTable english;
    english.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
    english.LoadLanguageFile(PlLanguageFilePath(PL_SOURCE_LANGUAGE_FOLDER, ""));  // no choice: the folder itself
    EXPECT_EQ(english.Text(303), "Exit Parlino");

    PlTextTable russian;
    russian.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
    russian.LoadLanguageFile(PlLanguageFilePath(PL_SOURCE_LANGUAGE_FOLDER, "russian.lng"));
    EXPECT_EQ(russian.Text(303), "Выйти из Parlino");
    EXPECT_EQ(russian.Text(205, "ANNA", "BORIS"), "ANNA пишет BORIS:");
}

}  // namespace
