#pragma once
// One contact as the contact list keeps it: a user or computer (reached by a
// personal message), a domain or workgroup (reached by a broadcast), or, in
// the tree only, the header of a group.

#include <cstdint>
#include <string>

inline constexpr std::int32_t kContactUser = 1;
inline constexpr std::int32_t kContactWorkgroup = 2;
inline constexpr std::int32_t kContactGroupRow = 3;

struct PlContactRecord {
    std::int32_t type = kContactWorkgroup;
    std::string realName;     // the network name messages go to
    std::string displayName;  // the name shown in the list
    std::string groupName;    // the group it is filed under, may be empty
    std::int32_t groupOpen = 0;

    bool operator==(const PlContactRecord&) const = default;
};
