#include "transport/browser/pl_messenger_names.h"

#include "platform/netbios/nb30.h"
#include "platform/text/pl_case.h"
#include "platform/text/pl_codepage.h"
#include "transport/netbios/nb_primitives.h"

#include <array>
#include <cstring>
#include <mutex>

std::vector<std::string> MessengerNamesOf(std::span<const std::uint8_t> reply)
{
    std::vector<std::string> names;
    if (reply.size() < sizeof(ADAPTER_STATUS))
        return names;
    ADAPTER_STATUS status{};
    std::memcpy(&status, reply.data(), sizeof status);
    const std::size_t held = (reply.size() - sizeof status) / sizeof(NAME_BUFFER);
    const std::size_t count = std::min<std::size_t>(status.name_count, held);
    for (std::size_t i = 0; i < count; ++i) {
        NAME_BUFFER entry{};
        std::memcpy(&entry, reply.data() + sizeof status + i * sizeof entry, sizeof entry);
        if (entry.name[NCBNAMSZ - 1] != pl::ncb::kMessengerSuffix || (entry.name_flags & GROUP_NAME) != 0)
            continue;
        std::string name(reinterpret_cast<const char*>(entry.name), NCBNAMSZ - 1);
        name.erase(name.find_last_not_of(' ') + 1);
        names.push_back(pl::OemToAnsi(name));
    }
    return names;
}

std::vector<std::string> LookUpMessengerNames(PlNetbiosNetwork& network, const std::string& computer, int limitMs)
{
    const pl::NetbiosNameBytes name = pl::MakeNetbiosName(pl::UpperCase(computer), 0x00);
    std::array<std::uint8_t, kAdapterStatusBufferSize> buffer{};
    std::lock_guard lock(network.Lock());
    for (const auto& interface : network.Interfaces()) {
        const auto& adapter = static_cast<const PlNetbiosInterface&>(*interface);
        buffer.fill(0);
        const std::uint8_t code = pl::ncb::AdapterStatus(adapter.Entry(), adapter.Lana(), name, buffer.data(),
                                                         static_cast<std::uint16_t>(buffer.size()), limitMs);
        if (code != NRC_GOODRET && code != NRC_INCOMP)
            continue;
        auto names = MessengerNamesOf(buffer);
        if (!names.empty())
            return names;
    }
    return {};
}
