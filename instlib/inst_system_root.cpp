#include "instlib/inst_system_root.h"

#include <cstdlib>

namespace pl::inst {

std::string SystemRoot()
{
    const char* value = std::getenv("PARLINO_SYSTEM_ROOT");
    std::string root = value != nullptr ? value : "";
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

bool IsLiveSystem()
{
    return SystemRoot().empty();
}

std::string InSystemRoot(std::string_view path)
{
    return SystemRoot() + std::string(path);
}

}  // namespace pl::inst
