#pragma once
// CMsg: one message between the messaging clients and the windows, always
// copied by value.

#include <string>

inline constexpr int kPersonalMessage = 1;   // NetBIOS session, SMB messenger commands
inline constexpr int kBroadcastMessage = 2;  // mailslot datagram

struct CMsg {
    int kind = kPersonalMessage;
    // On sending: the name (or mailslot target) the message goes to; on
    // receipt: the destination name found in the message.
    std::string address;
    std::string from;
    std::string to;
    std::string text;
};
