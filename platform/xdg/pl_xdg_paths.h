#pragma once
// Per-user folders of the XDG base directory specification, and the path of
// the running program.

#include <string>

namespace pl {

// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config
// (the home folder from the password database when HOME is unset).
std::string XdgConfigHome();

// The full path of the running executable (/proc/self/exe); empty when it
// cannot be read.
std::string ExecutablePath();

}  // namespace pl
