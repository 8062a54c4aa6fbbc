#pragma once
// The result codes of the installer helper inside the library, and the
// mapping from a system error number to the code of its cause.

#include "instlib/plinstlib.h"

namespace pl::inst {

enum class InstResult : int {
    Success = PLINST_SUCCESS,
    NotPresent = PLINST_NOT_PRESENT,
    Unavailable = PLINST_UNAVAILABLE,
    AccessDenied = PLINST_ACCESS_DENIED,
    Failed = PLINST_FAILED,
};

// EACCES and EPERM are access denied, a missing protocol or operation is
// unavailable, anything else is a failure.
InstResult ResultForErrno(int error);

inline int Code(InstResult result)
{
    return static_cast<int>(result);
}

}  // namespace pl::inst
