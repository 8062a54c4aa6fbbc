#include "platform/xdg/pl_autostart.h"

#include "platform/config/pl_config_file.h"
#include "platform/xdg/pl_xdg_paths.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <utility>

namespace {

// Characters that must be backslash-escaped inside a quoted Exec argument.
bool EscapedInQuotes(char c)
{
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

// The escapes of every string value of a desktop entry, applied on top.
void AppendStringEscaped(std::string& out, char c)
{
    switch (c) {
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\t': out += "\\t"; break;
    case '\r': out += "\\r"; break;
    default: out += c;
    }
}

}  // namespace

PlAutostart::PlAutostart(std::string entryPath) : entryPath_(std::move(entryPath)) {}

std::string PlAutostart::DefaultPath()
{
    return pl::XdgConfigHome() + "/autostart/parlino.desktop";
}

bool PlAutostart::IsOn() const
{
    struct stat info {};
    return ::lstat(entryPath_.c_str(), &info) == 0;
}

bool PlAutostart::TurnOn(const std::string& programPath) const
{
    return pl::WriteFileAtomically(entryPath_, DesktopEntry(programPath), 0644);
}

bool PlAutostart::TurnOff() const
{
    return ::unlink(entryPath_.c_str()) == 0 || errno == ENOENT;
}

std::string PlAutostart::DesktopEntry(const std::string& programPath)
{
    // The fields of the installed desktop entry (packaging/parlino.desktop),
    // with the program's full path instead of its name on the Exec line.
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Parlino Messenger\n"
        "GenericName=LAN Messenger\n"
        "Comment=Send and receive messages on the local network, with Windows and Samba computers\n"
        "Icon=parlino\n"
        "Exec=";
    entry.append(ExecArgument(programPath));
    entry.append(
        "\n"
        "Terminal=false\n"
        "StartupNotify=false\n"
        "X-GNOME-Autostart-enabled=true\n");
    return entry;
}

std::string PlAutostart::ExecArgument(std::string_view argument)
{
    std::string out = "\"";
    for (char c : argument) {
        if (c == '%') {
            out += "%%";  // a literal percent sign, not a field code
            continue;
        }
        if (EscapedInQuotes(c))
            AppendStringEscaped(out, '\\');
        AppendStringEscaped(out, c);
    }
    out += '"';
    return out;
}
