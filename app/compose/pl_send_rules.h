#pragma once
// The limits of a message on its way out: a personal message carries at most
// 1600 characters, a broadcast 128; the compose window asks before it cuts.

#include <cstddef>
#include <string>
#include <vector>

#include "app/compose/pl_recipients.h"

inline constexpr std::size_t kPersonalTextLimit = 1600;
inline constexpr std::size_t kBroadcastTextLimit = 128;

// True when a recipient's kind of message cannot carry the whole text.
bool PlTextTooLongFor(const std::vector<PlRecipient>& recipients, const std::string& text);

// The text every recipient's message and archive row take: at most 1600
// characters (a broadcast is cut further by its client on the wire).
std::string PlTextToSend(const std::string& text);
