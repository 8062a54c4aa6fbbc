#include "platform/identity/pl_local_user.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace pl {

std::string LocalUserName()
{
    if (const char* override = std::getenv("PARLINO_USERNAME"); override != nullptr && *override != '\0')
        return override;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0')
        return user;
    return "USER";
}

}  // namespace pl
