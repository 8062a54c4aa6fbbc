// The exports of plinstlib. Each one runs its step in the library and turns
// anything thrown (memory exhaustion) into "any other failure", since nothing
// may cross the C boundary. The adapter list and the name buffer are
// process-wide and unguarded, as the set-up program calls one at a time.

#include "instlib/plinstlib.h"

#include "instlib/inst_adapters.h"
#include "instlib/inst_capability.h"
#include "instlib/inst_firewall.h"
#include "instlib/inst_path_variable.h"
#include "instlib/inst_service.h"

#include <cstring>

namespace {

using pl::inst::InstResult;

pl::inst::AdapterList& Adapters()
{
    static pl::inst::AdapterList adapters;
    return adapters;
}

constexpr std::size_t kNameLimit = 64;
char nameBuffer[kNameLimit + 1];

template <typename Step>
int Guarded(Step&& step)
{
    try {
        return pl::inst::Code(step());
    } catch (...) {
        return PLINST_FAILED;
    }
}

// At most kNameLimit bytes of `name`, cut before a character that would not
// fit whole (names are UTF-8).
std::size_t FittingLength(const std::string& name)
{
    if (name.size() <= kNameLimit)
        return name.size();
    std::size_t length = kNameLimit;
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

}  // namespace

extern "C" {

int DisableMsgSrvc(void)
{
    return Guarded([] { return pl::inst::DisableMessengerService(); });
}

int AddPathVar(const char* directory)
{
    return Guarded(
        [&] { return directory == nullptr ? InstResult::Failed : pl::inst::AddDirectoryToSystemPath(directory); });
}

int SetupFirewall(const char* applicationName, const char* imagePath)
{
    return Guarded([&] {
        if (applicationName == nullptr || imagePath == nullptr)
            return InstResult::Failed;
        return pl::inst::SetupMessengerFirewall(applicationName, imagePath);
    });
}

int GrantBindCapability(const char* imagePath)
{
    return Guarded(
        [&] { return imagePath == nullptr ? InstResult::Failed : pl::inst::GrantBindCapability(imagePath); });
}

int OpenNic(void)
{
    return Guarded([] { return Adapters().Open(); });
}

int EnumNic(void)
{
    return Guarded([] { return Adapters().Enumerate(); });
}

int NicCount(void)
{
    return Adapters().Count();
}

const char* NicName(int index)
{
    try {
        const std::string name = Adapters().DisplayName(index);
        const std::size_t length = FittingLength(name);
        std::memcpy(nameBuffer, name.data(), length);
        nameBuffer[length] = '\0';
    } catch (...) {
        nameBuffer[0] = '\0';
    }
    return nameBuffer;
}

int NicEnable(int index)
{
    return Guarded([&] { return Adapters().Enable(index); });
}

void CloseNic(void)
{
    Adapters().Close();
}

}  // extern "C"
