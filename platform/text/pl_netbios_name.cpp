#include "platform/text/pl_netbios_name.h"

#include "platform/text/pl_codepage.h"
#include "platform/text/pl_utf8.h"

#include <algorithm>

namespace pl {

NetbiosNameBytes MakeNetbiosName(std::string_view ansiName, std::uint8_t suffix, const std::string& codepage)
{
    NetbiosNameBytes form;
    form.fill(' ');
    std::size_t used = 0;
    // Converted one character at a time so that a double-byte character of an
    // East Asian code page is never split at byte 15.
    for (std::size_t pos = 0; pos < ansiName.size();) {
        std::size_t length = utf8::SequenceLength(ansiName, pos);
        length = length == 0 ? 1 : length;
        const std::string oem = AnsiToOem(ansiName.substr(pos, length), codepage);
        if (used + oem.size() > kNetbiosNameLength - 1)
            break;
        std::copy(oem.begin(), oem.end(), form.begin() + static_cast<std::ptrdiff_t>(used));
        used += oem.size();
        pos += length;
    }
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
