#pragma once
// The name of the local user, as the messenger registers it: the login name of
// the process's user, or PARLINO_USERNAME when that is set (tests, shared
// accounts).

#include <string>

namespace pl {

std::string LocalUserName();

}  // namespace pl
