// nb_lab_peer: a small driver of the default provider for the lab LAN tests.
// Runs its arguments as steps, printing one line per step:
//   add NAME SUFFIX | addgroup NAME SUFFIX   -> "add NAME<SS> 0xCC"
//   call FROM TO                              -> "call TO 0xCC MSms"
//   hangup                                    -> "hangup 0xCC" (the last call's session)
//   dgsend TO SUFFIX TEXT                     -> "dgsend TO<SS> 0xCC" (from the last added name)
//   hold SECONDS                              -> keeps the names registered
// SUFFIX is hexadecimal. The provider's configuration comes from
// PARLINO_NETBT_CONF as always.

#include "platform/netbios/pl_netbios.h"
#include "platform/text/pl_netbios_name.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

void SetName(std::uint8_t (&field)[16], const std::string& name, std::uint8_t suffix)
{
    const auto form = pl::MakeNetbiosName(name, suffix);
    std::memcpy(field, form.data(), form.size());
}

int Fail(const char* what)
{
    std::fprintf(stderr, "nb_lab_peer: %s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::uint8_t lastLsn = 0;
    std::uint8_t lastNum = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& step = args[i];
        if ((step == "add" || step == "addgroup") && i + 2 < args.size()) {
            NCB ncb{};
            ncb.ncb_command = step == "add" ? NCBADDNAME : NCBADDGRNAME;
            const auto suffix = static_cast<std::uint8_t>(std::strtoul(args[i + 2].c_str(), nullptr, 16));
            SetName(ncb.ncb_name, args[i + 1], suffix);
            const std::uint8_t code = Netbios(&ncb);
            if (code == NRC_GOODRET)
                lastNum = ncb.ncb_num;
            std::printf("add %s<%02X> 0x%02X\n", args[i + 1].c_str(), suffix, code);
            i += 2;
        } else if (step == "call" && i + 2 < args.size()) {
            NCB ncb{};
            ncb.ncb_command = NCBCALL;
            SetName(ncb.ncb_name, args[i + 1], 0x03);
            SetName(ncb.ncb_callname, args[i + 2], 0x03);
            ncb.ncb_rto = ncb.ncb_sto = 4;
            const auto start = std::chrono::steady_clock::now();
            const std::uint8_t code = Netbios(&ncb);
            lastLsn = ncb.ncb_lsn;
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            std::printf("call %s 0x%02X %lldms\n", args[i + 2].c_str(), code, static_cast<long long>(ms.count()));
            i += 2;
        } else if (step == "dgsend" && i + 3 < args.size()) {
            NCB ncb{};
            ncb.ncb_command = NCBDGSEND;
            ncb.ncb_num = lastNum;
            const auto suffix = static_cast<std::uint8_t>(std::strtoul(args[i + 2].c_str(), nullptr, 16));
            SetName(ncb.ncb_callname, args[i + 1], suffix);
            std::string text = args[i + 3];
            ncb.ncb_buffer = reinterpret_cast<std::uint8_t*>(text.data());
            ncb.ncb_length = static_cast<std::uint16_t>(text.size());
            std::printf("dgsend %s<%02X> 0x%02X\n", args[i + 1].c_str(), suffix, Netbios(&ncb));
            i += 3;
        } else if (step == "hangup") {
            NCB ncb{};
            ncb.ncb_command = NCBHANGUP;
            ncb.ncb_lsn = lastLsn;
            std::printf("hangup 0x%02X\n", Netbios(&ncb));
        } else if (step == "hold" && i + 1 < args.size()) {
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::seconds(std::atoi(args[i + 1].c_str())));
            i += 1;
        } else {
            return Fail(("bad step \"" + step + "\"").c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
