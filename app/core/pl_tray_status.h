#pragma once
// The tray's status: "Online" with the online icon once the computer name is
// registered on every current adapter, "Network not found" with the offline
// icon when there is no adapter, "Registering on the net..." otherwise. The
// tip is the title, a line break and the status.

#include <cstddef>
#include <string>

#include "app/texts/pl_text_table.h"

enum class PlTrayIcon { Online, Offline };

struct PlTrayStatus {
    std::string tip;
    PlTrayIcon icon = PlTrayIcon::Offline;
    bool operator==(const PlTrayStatus&) const = default;
};

// `adapters` current adapters, `openComputerNames` of them with the computer
// name registered.
PlTrayStatus PlComputeTrayStatus(std::size_t adapters, std::size_t openComputerNames, const PlTextTable& texts);
