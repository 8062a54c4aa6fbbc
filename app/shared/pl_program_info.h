#pragma once
// Facts about the running program that several windows and the application
// core share: where its file and its language files are, its version texts,
// and the platform test.

#include <string>

namespace pl {

// The full path of the program file; empty when it cannot be found.
std::string ProgramFile();
// The folder holding the program file.
std::string ProgramFolder();

// The folder of the language files: "language" beside the program when it
// exists there (a build tree), else the installation's share/parlino/language.
std::string LanguageFolder();
// The same for a program living in `programFolder`.
std::string LanguageFolderFor(const std::string& programFolder);

// The version texts compiled into the program ("2.0.1.589").
std::string ProductVersion();
std::string FileVersion();

// The platform test of the windows: true where the desktop offers what they
// expect of Windows NT 5.1 and later (themed controls, grouped list views,
// the "MS Shell Dlg 2" face). Every desktop Qt 6 runs on does.
constexpr bool IsNt51OrLater()
{
    return true;
}

}  // namespace pl
