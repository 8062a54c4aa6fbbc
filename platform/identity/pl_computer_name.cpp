#include "platform/identity/pl_computer_name.h"

#include "platform/text/pl_case.h"
#include "platform/text/pl_netbios_name.h"

#include <unistd.h>

#include <array>

namespace pl {
namespace {

std::string HostNameFirstLabel()
{
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) != 0 || host[0] == '\0')
        return "LOCALHOST";
    const std::string name(host.data());
    return name.substr(0, name.find('.'));
}

}  // namespace

std::string LocalComputerName(std::string_view configured, const std::string& codepage)
{
    const std::string name = configured.empty() ? HostNameFirstLabel() : std::string(configured);
    return FitNetbiosName(UpperCase(name), codepage);
}

}  // namespace pl
