#pragma once
// The root of the file system that the installer helper prepares: "/" unless
// PARLINO_SYSTEM_ROOT names another folder (an image being prepared, or a
// test's temporary folder). Read on every call, so it may change between calls.

#include <string>
#include <string_view>

namespace pl::inst {

// The root folder without a trailing slash; empty for "/".
std::string SystemRoot();

// True when the root is the running system's own "/".
bool IsLiveSystem();

// `path` (absolute, like "/etc/environment") inside the system root.
std::string InSystemRoot(std::string_view path);

}  // namespace pl::inst
