#pragma once
// The actions a second start of the program hands to the running instance
// (`parlino --write` and the others), and their form on the local socket:
// one line "parlino-action <name>\n". Desktops without global hot keys bind
// these as ordinary shortcuts.

#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class PlAction { Write, Reply, Archive, Search, Options, Exit };

// "write", "reply", "archive", "search", "options", "exit".
std::string_view PlActionName(PlAction action);
std::optional<PlAction> PlActionFromName(std::string_view name);

// The bytes sent for an action, and the action a peer's bytes name. A
// message longer than kMaxActionMessage, without its line end, or naming
// no action is refused.
inline constexpr std::size_t kMaxActionMessage = 64;
std::string PlEncodeAction(PlAction action);
std::optional<PlAction> PlDecodeAction(std::span<const char> bytes);
