#pragma once
// PlAutostart: the XDG autostart entry that starts the program when the user
// logs in. The entry counts as on whenever its file exists, whoever wrote it;
// turning it on (re)writes the file atomically with the program's full path
// on the Exec line, turning it off removes the file.

#include <string>
#include <string_view>

class PlAutostart {
public:
    explicit PlAutostart(std::string entryPath);

    // $XDG_CONFIG_HOME/autostart/parlino.desktop
    static std::string DefaultPath();

    const std::string& Path() const { return entryPath_; }

    bool IsOn() const;
    // False when the file could not be written or removed.
    bool TurnOn(const std::string& programPath) const;
    bool TurnOff() const;

    // The desktop entry that starts `programPath`: the fields of the installed
    // desktop entry parlino.desktop, with the full path on the Exec line.
    static std::string DesktopEntry(const std::string& programPath);
    // `argument` as one quoted argument of an Exec line, escaped as the
    // desktop entry specification requires (quoting, field codes, and the
    // escapes of string values).
    static std::string ExecArgument(std::string_view argument);

private:
    std::string entryPath_;
};
