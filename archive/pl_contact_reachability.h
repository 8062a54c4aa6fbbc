#pragma once
// How the contact poll finds out whether a contact answers: users and
// computers by an adapter status query of their messenger name, domains and
// workgroups by the LAN browser's current list.

#include <functional>
#include <string>

class PlNetbiosNetwork;
class PlThread;

// Answers whether the LAN browser's current tree lists a domain or workgroup
// of exactly this name. Called on the polling thread.
using PlWorkgroupListed = std::function<bool(const std::string& name)>;

inline constexpr int kContactStatusTimeoutMs = 3000;
inline constexpr int kContactStatusBufferSize = 1212;

// True when some adapter of the network gets an adapter status answer
// (return code 0) for NAME<0x03>, asking the adapters in turn, each for at
// most 3,000 ms with a 1,212-byte answer buffer. Gives up between adapters
// when `thread` is told to stop.
bool PlMessengerNameAnswers(PlNetbiosNetwork& network, const std::string& realName, const PlThread* thread);
