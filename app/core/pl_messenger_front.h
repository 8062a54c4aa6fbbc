#pragma once
// PlMessengerFront: the face of the messenger, what a person sees: the Qt main
// window of parlino, or the console of parlino-cli listen. The core decides
// what happens; the face shows it. The core never touches a window.
//
// Threads: Post is called from any thread and must run the work on the face's
// own thread, in order. Every other function is called on the face's thread:
// from the core's Start and Shutdown, or from work the core posted.

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/pl_receive_notice.h"
#include "app/core/pl_tray_status.h"
#include "transport/messaging/c_msg.h"

class PlContactsManager;

// A message as it arrived: line breaks as CR LF, the time of receipt as a
// FILETIME of local time, and whether the archive kept it.
struct PlArrivedMessage {
    CMsg msg;
    std::uint64_t received = 0;
    bool archived = false;
    std::string problem;  // why the archive did not keep it
};

class PlMessengerFront {
public:
    virtual ~PlMessengerFront() = default;

    virtual void Post(std::function<void()> work) = 0;

    // Start-up steps of the face, in their place among the core's: the tray
    // icon, its pictures and menu (after the settings and texts); the contact
    // list window (after the contact file); the hot keys (last).
    virtual void BuildTray() {}
    virtual void BuildContactList(PlContactsManager&) {}
    virtual void RegisterHotKeys() {}

    // A message arrived, was archived (or not) and its views were notified.
    virtual void MessageArrived(const PlArrivedMessage& message, const PlReceiveNotice& notice) = 0;
    // The tray's tip and icon, recomputed every few seconds.
    virtual void TrayStatusChanged(const PlTrayStatus&) {}

    // Shutdown steps of the face: remove the tray icon; close every open
    // window, newest first (a window that sends waits for its send).
    virtual void RemoveTray() {}
    virtual void CloseWindows() {}
};
