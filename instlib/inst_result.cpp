#include "instlib/inst_result.h"

#include <cerrno>

namespace pl::inst {

InstResult ResultForErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return InstResult::AccessDenied;
    case ENOSYS:
    case EOPNOTSUPP:
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT: return InstResult::Unavailable;
    default: return InstResult::Failed;
    }
}

}  // namespace pl::inst
