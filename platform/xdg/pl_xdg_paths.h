#pragma once
// Per-user folders of the XDG base directory specification, and the path of
// the running program.

#include <string>

namespace pl {

// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config
// (the home folder from the password database when HOME is unset).
std::string XdgConfigHome();

// $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share.
std::string XdgDataHome();

// $XDG_CACHE_HOME when it is set to an absolute path, else $HOME/.cache.
std::string XdgCacheHome();

// $XDG_RUNTIME_DIR when it is set to an absolute path, else the temporary
// folder ($TMPDIR, or /tmp).
std::string XdgRuntimeDir();

// The full path of the running executable (/proc/self/exe); empty when it
// cannot be read.
std::string ExecutablePath();

}  // namespace pl
