#pragma once
// Authorises a program to serve the NetBIOS and SMB ports: gives its image
// file the capability to bind ports below 1024 (permitted and effective),
// keeping any capability the file already has. A file has one effective
// flag for all its capabilities, so those become effective as well.

#include "instlib/inst_result.h"

#include <string>

namespace pl::inst {

InstResult GrantBindCapability(const std::string& imagePath);

// True when the image already holds the capability, permitted and effective.
bool HasBindCapability(const std::string& imagePath);

}  // namespace pl::inst
