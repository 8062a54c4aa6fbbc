#pragma once
// PlNetEnum: the platform's enumeration of network resources, container by
// container, as the LAN browser walks it: the root's children, then the
// children of each container it reports. Display types follow the Windows
// network-resource enumeration.

#include <optional>
#include <string>
#include <vector>

inline constexpr int kDisplayGeneric = 0;
inline constexpr int kDisplayDomain = 1;
inline constexpr int kDisplayServer = 2;
inline constexpr int kDisplayShare = 3;
inline constexpr int kDisplayNetwork = 6;

struct PlNetResource {
    int displayType = kDisplayGeneric;
    std::string remoteName;  // "\\SERVER" for servers, as the platform reports them
    std::string comment;
};

class PlNetEnum {
public:
    virtual ~PlNetEnum() = default;
    // The resources inside `parent` (the root when null); empty on failure.
    // May be called from any thread.
    virtual std::optional<std::vector<PlNetResource>> Enumerate(const PlNetResource* parent) = 0;
};
