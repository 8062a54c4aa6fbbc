#pragma once
// PlMailslotApi: the platform's mailslot and file functions that the mailslot
// layer uses, behind a small interface so that tests can put a fake in place
// of the NetBIOS provider. Paths are "\\.\MAILSLOT\NAME" (a local mailslot)
// and "\\TARGET\MAILSLOT\NAME" (a remote one). Every function may be called
// from any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class PlMailslotApi {
public:
    using Handle = int;
    static constexpr Handle kInvalidHandle = -1;

    virtual ~PlMailslotApi() = default;
    // Creates a local mailslot; kInvalidHandle on failure.
    virtual Handle CreateMailslot(const std::string& path, std::size_t maxMessageSize) = 0;
    // The number of queued messages and the size of the next; false when the
    // handle is not (or no longer) an open local mailslot.
    virtual bool GetMailslotInfo(Handle handle, std::size_t& count, std::size_t& nextSize) = 0;
    // Reads the next message into `buffer`; its size, or -1 when none can be
    // read. A message longer than the buffer is cut to it.
    virtual int ReadFile(Handle handle, std::span<std::uint8_t> buffer) = 0;
    // Opens a remote mailslot for writing; kInvalidHandle when the target
    // cannot be reached.
    virtual Handle CreateFile(const std::string& path) = 0;
    virtual bool WriteFile(Handle handle, std::span<const std::uint8_t> data) = 0;
    virtual void CloseHandle(Handle handle) = 0;
};
