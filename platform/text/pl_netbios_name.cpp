#include "platform/text/pl_netbios_name.h"

#include "platform/text/pl_codepage.h"
#include "platform/text/pl_utf8.h"

#include <algorithm>

namespace pl {

std::string FitNetbiosName(std::string_view ansiName, const std::string& codepage)
{
    std::size_t used = 0;
    std::size_t pos = 0;
    // Measured one character at a time so that a double-byte character of an
    // East Asian code page is never split at byte 15.
    while (pos < ansiName.size()) {
        const std::size_t length = std::max<std::size_t>(1, utf8::SequenceLength(ansiName, pos));
        const std::size_t bytes = AnsiToOem(ansiName.substr(pos, length), codepage).size();
        if (used + bytes > kNetbiosNameLength - 1)
            break;
        used += bytes;
        pos += length;
    }
    return std::string(ansiName.substr(0, pos));
}

std::string FitNetbiosName(std::string_view ansiName)
{
    return FitNetbiosName(ansiName, OemCodePage());
}

NetbiosNameBytes MakeNetbiosName(std::string_view ansiName, std::uint8_t suffix, const std::string& codepage)
{
    NetbiosNameBytes form;
    form.fill(' ');
    const std::string oem = AnsiToOem(FitNetbiosName(ansiName, codepage), codepage);
    std::copy(oem.begin(), oem.end(), form.begin());
    form[kNetbiosNameLength - 1] = suffix;
    return form;
}

NetbiosNameBytes MakeNetbiosName(std::string_view ansiName, std::uint8_t suffix)
{
    return MakeNetbiosName(ansiName, suffix, OemCodePage());
}

std::string NetbiosNameText(std::span<const std::uint8_t, kNetbiosNameLength> form)
{
    std::size_t end = kNetbiosNameLength - 1;
    while (end > 0 && form[end - 1] == ' ')
        --end;
    return OemToAnsi(std::string_view(reinterpret_cast<const char*>(form.data()), end));
}

}  // namespace pl
