// parlino-cli setup: this system's set-up program on Linux. It loads the
// installer helper library plinstlib, calls its exports in the order the
// library expects and prints every result code in words:
//
//   setup firewall [--name NAME] [--image PATH]   ports 137-139, 445 and the bind capability
//   setup capability [--image PATH]...            the bind capability alone (the package's step)
//   setup path DIR                                DIR on the login search path
//   setup disable-service                         nmbd.service disabled and stopped
//   setup nic [--enable N]...                     the adapters; NetBIOS enabled on N
//
// The library is the file PARLINO_INSTLIB names, else libplinstlib.so beside
// this program or in the build tree's instlib/ folder, else the installed
// one, else the loader's search path (by its SONAME). PARLINO_SYSTEM_ROOT gives the library another
// system root. A program that runs with raised capabilities (the package
// gives it cap_net_bind_service) ignores PARLINO_INSTLIB: its user must not
// choose the code that runs with them.

#include "cli/cli_commands.h"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

namespace pl::cli {

namespace {

constexpr std::array<std::string_view, 7> kResultWords = {
    "success",
    "not applicable on this system",
    "the component is not present",
    "initialisation failed",
    "an interface or method is not available",
    "access denied",
    "failed",
};

std::string ResultText(int code)
{
    const std::string words = code >= 0 && code < static_cast<int>(kResultWords.size())
                                  ? std::string(kResultWords[static_cast<std::size_t>(code)])
                                  : "unknown result";
    return std::to_string(code) + " (" + words + ")";
}

// Prints the call's result; true for success.
bool Report(const std::string& call, int code)
{
    std::cout << call << ": " << ResultText(code) << "\n";
    return code == 0;
}

// The folder of this program.
std::string ProgramFolder()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/'));
}

struct LibraryCloser {
    void operator()(void* handle) const { ::dlclose(handle); }
};

class InstallerLibrary {
public:
    bool Load(std::string& error)
    {
        for (const std::string& candidate : Candidates()) {
            handle_.reset(::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL));
            if (handle_)
                return true;
            error = ::dlerror();
        }
        return false;
    }

    // The export `name` as a function of type F; nullptr when it is missing.
    template <typename F>
    F* Function(const char* name) const
    {
        return reinterpret_cast<F*>(::dlsym(handle_.get(), name));
    }

private:
    static std::vector<std::string> Candidates()
    {
        const bool raised = ::getauxval(AT_SECURE) != 0;
        if (const char* named = std::getenv("PARLINO_INSTLIB"); !raised && named != nullptr && *named != '\0')
            return {named};
        const std::string folder = ProgramFolder();
        return {folder + "/libplinstlib.so", folder + "/../instlib/libplinstlib.so", PL_INSTLIB_INSTALLED,
                PL_INSTLIB_SONAME, "libplinstlib.so"};
    }

    std::unique_ptr<void, LibraryCloser> handle_;
};

constexpr const char* kSetupHelp =
    "usage: parlino-cli setup firewall [--name NAME] [--image PATH]\n"
    "       parlino-cli setup capability [--image PATH]...\n"
    "       parlino-cli setup path DIR\n"
    "       parlino-cli setup disable-service\n"
    "       parlino-cli setup nic [--enable N]...\n"
    "prepares this computer through the installer library plinstlib (needs root):\n"
    "  firewall         opens TCP 139 and 445, UDP 137 and 138 in the nftables table\n"
    "                   'inet parlino' and lets PATH (default: parlino beside this\n"
    "                   tool) bind ports below 1024\n"
    "  capability       only lets each PATH (default: parlino beside this tool) bind\n"
    "                   ports below 1024 (cap_net_bind_service); no firewall change\n"
    "  path             puts DIR in front of PATH in /etc/environment\n"
    "  disable-service  disables and stops nmbd.service, which holds the NetBIOS ports\n"
    "  nic              lists the adapters; --enable N adds adapter N to 'interfaces'\n"
    "                   in /etc/parlino/netbt.conf\n"
    "Each library call is printed with its result code in words.\n"
    "exit status: 0 every call returned 0, 1 a call failed or the library cannot\n"
    "  be loaded, 2 bad arguments\n";

// With an empty `what` the help asked for, on standard output.
int UsageError(const std::string& what)
{
    if (what.empty()) {
        std::cout << kSetupHelp;
        return kExitOk;
    }
    std::cerr << "setup: " << what << "\n" << kSetupHelp;
    return kExitUsage;
}

int Firewall(const InstallerLibrary& library, std::span<const std::string> args)
{
    std::string name = "Parlino Messenger", image = ProgramFolder() + "/parlino";  // the messenger
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if ((args[i] != "--name" && args[i] != "--image") || i + 1 >= args.size())
            return UsageError("firewall takes --name NAME and --image PATH");
        (args[i] == "--name" ? name : image) = args[i + 1];
    }
    auto* setup = library.Function<int(const char*, const char*)>("SetupFirewall");
    return Report("SetupFirewall", setup(name.c_str(), image.c_str())) ? kExitOk : kExitFailure;
}

int Capability(const InstallerLibrary& library, std::span<const std::string> args)
{
    std::vector<std::string> images;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (args[i] != "--image" || i + 1 >= args.size())
            return UsageError("capability takes --image PATH");
        images.push_back(args[i + 1]);
    }
    if (images.empty())
        images.push_back(ProgramFolder() + "/parlino");
    auto* grant = library.Function<int(const char*)>("GrantBindCapability");
    if (grant == nullptr) {
        std::cerr << "setup: the installer library has no function GrantBindCapability\n";
        return kExitFailure;
    }
    bool allGranted = true;
    for (const std::string& image : images)
        allGranted = Report("GrantBindCapability " + image, grant(image.c_str())) && allGranted;
    return allGranted ? kExitOk : kExitFailure;
}

int Path(const InstallerLibrary& library, std::span<const std::string> args)
{
    if (args.size() != 1)
        return UsageError("path takes one folder");
    auto* add = library.Function<int(const char*)>("AddPathVar");
    return Report("AddPathVar", add(args[0].c_str())) ? kExitOk : kExitFailure;
}

int DisableService(const InstallerLibrary& library, std::span<const std::string> args)
{
    if (!args.empty())
        return UsageError("disable-service takes no arguments");
    auto* disable = library.Function<int()>("DisableMsgSrvc");
    return Report("DisableMsgSrvc", disable()) ? kExitOk : kExitFailure;
}

std::optional<std::vector<int>> ParseEnables(std::span<const std::string> args)
{
    std::vector<int> indices;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        int index = -1;
        if (args[i] != "--enable" || i + 1 >= args.size())
            return std::nullopt;
        const std::string& text = args[i + 1];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
        if (ec != std::errc() || end != text.data() + text.size() || index < 0)
            return std::nullopt;
        indices.push_back(index);
    }
    return indices;
}

// OpenNic, EnumNic, the list, NicEnable for each chosen index, CloseNic.
int Nic(const InstallerLibrary& library, std::span<const std::string> args)
{
    const auto enables = ParseEnables(args);
    if (!enables)
        return UsageError("nic takes --enable N with adapter numbers");
    if (!Report("OpenNic", library.Function<int()>("OpenNic")()))
        return kExitFailure;
    if (!Report("EnumNic", library.Function<int()>("EnumNic")()))
        return kExitFailure;  // the library has closed the adapter list itself
    const int count = library.Function<int()>("NicCount")();
    auto* nicName = library.Function<const char*(int)>("NicName");
    std::cout << "adapters: " << count << "\n";
    for (int i = 0; i < count; ++i)
        std::cout << "  " << i << "  " << nicName(i) << "\n";
    bool allEnabled = true;
    for (int index : *enables) {
        if (index >= count) {
            std::cerr << "setup: there is no adapter " << index << "\n";
            allEnabled = false;
            continue;
        }
        const std::string call = "NicEnable " + std::to_string(index) + " (" + nicName(index) + ")";
        allEnabled = Report(call, library.Function<int(int)>("NicEnable")(index)) && allEnabled;
    }
    library.Function<void()>("CloseNic")();
    return allEnabled ? kExitOk : kExitFailure;
}

bool HasEveryExport(const InstallerLibrary& library)
{
    for (const char* name : {"DisableMsgSrvc", "AddPathVar", "SetupFirewall", "OpenNic", "EnumNic", "NicCount",
                             "NicName", "NicEnable", "CloseNic"})
        if (library.Function<void()>(name) == nullptr) {
            std::cerr << "setup: the installer library has no function " << name << "\n";
            return false;
        }
    return true;
}

}  // namespace

int SetupCommand(std::span<const std::string> args)
{
    if (args.empty())
        return UsageError("which step?");
    if (args.front() == "--help" || args.front() == "-h")
        return UsageError("");
    InstallerLibrary library;
    std::string error;
    if (!library.Load(error)) {
        std::cerr << "setup: cannot load the installer library plinstlib: " << error << "\n";
        return kExitFailure;
    }
    if (!HasEveryExport(library))
        return kExitFailure;
    const std::string& step = args.front();
    const auto rest = args.subspan(1);
    if (step == "firewall")
        return Firewall(library, rest);
    if (step == "capability")
        return Capability(library, rest);
    if (step == "path")
        return Path(library, rest);
    if (step == "disable-service")
        return DisableService(library, rest);
    if (step == "nic")
        return Nic(library, rest);
    return UsageError("unknown step \"" + step + "\"");
}

}  // namespace pl::cli
