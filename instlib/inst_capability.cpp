#include "instlib/inst_capability.h"

#include <sys/capability.h>

#include <cerrno>
#include <memory>

namespace pl::inst {

namespace {

struct CapFree {
    void operator()(_cap_struct* caps) const { ::cap_free(caps); }
};
using Capabilities = std::unique_ptr<_cap_struct, CapFree>;

bool IsSet(cap_t caps, cap_flag_t flag)
{
    cap_flag_value_t value = CAP_CLEAR;
    return ::cap_get_flag(caps, CAP_NET_BIND_SERVICE, flag, &value) == 0 && value == CAP_SET;
}

// A file has one effective flag for all its capabilities: the kernel takes
// a file whose effective set is neither empty nor its permitted set as
// invalid.
bool EveryPermittedEffective(cap_t caps)
{
    for (cap_value_t value = 0; value < static_cast<cap_value_t>(::cap_max_bits()); ++value) {
        cap_flag_value_t permitted = CAP_CLEAR;
        if (::cap_get_flag(caps, value, CAP_PERMITTED, &permitted) != 0)
            return false;
        if (permitted == CAP_SET && ::cap_set_flag(caps, CAP_EFFECTIVE, 1, &value, CAP_SET) != 0)
            return false;
    }
    return true;
}

}  // namespace

bool HasBindCapability(const std::string& imagePath)
{
    const Capabilities caps(::cap_get_file(imagePath.c_str()));
    return caps && IsSet(caps.get(), CAP_PERMITTED) && IsSet(caps.get(), CAP_EFFECTIVE);
}

InstResult GrantBindCapability(const std::string& imagePath)
{
    errno = 0;
    Capabilities caps(::cap_get_file(imagePath.c_str()));
    if (!caps) {
        if (errno != ENODATA)              // ENODATA: the file has no capabilities yet
            return ResultForErrno(errno);  // ENOTSUP (no file capabilities here): unavailable
        caps.reset(::cap_init());
        if (!caps)
            return InstResult::Failed;
    }
    if (IsSet(caps.get(), CAP_PERMITTED) && IsSet(caps.get(), CAP_EFFECTIVE))
        return InstResult::Success;
    const cap_value_t bind[] = {CAP_NET_BIND_SERVICE};
    if (::cap_set_flag(caps.get(), CAP_PERMITTED, 1, bind, CAP_SET) != 0 || !EveryPermittedEffective(caps.get()))
        return InstResult::Failed;
    if (::cap_set_file(imagePath.c_str(), caps.get()) != 0)
        return ResultForErrno(errno);
    return InstResult::Success;
}

}  // namespace pl::inst
