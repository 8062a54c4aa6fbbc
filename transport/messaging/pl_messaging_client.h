#pragma once
// PlMessagingClient: a client that sends messages of one kind and delivers the
// messages it receives to its receiver functor.

#include "transport/core/pl_functors.h"
#include "transport/messaging/c_msg.h"

#include <cstddef>

class PlMessagingClient {
public:
    using Receiver = PlUnaryFunction<void, CMsg>;

    PlMessagingClient() = default;
    PlMessagingClient(const PlMessagingClient&) = delete;
    PlMessagingClient& operator=(const PlMessagingClient&) = delete;
    virtual ~PlMessagingClient() = default;

    virtual int Kind() const = 0;
    // Sends `msg`; returns on success and throws a PlNetworkErr on failure.
    virtual void Send(CMsg msg) = 0;

    // The receiver is not owned. REQUIRES: set before the client's thread starts.
    void SetReceiver(Receiver* receiver) { receiver_ = receiver; }

    // Longest recipient name a message may carry, in bytes: longer than any
    // NetBIOS, user or workgroup name, short enough that a message always
    // fits its PDUs.
    static constexpr std::size_t kMaxNameBytes = 255;

protected:
    // Throws PlAddrNotFoundErr, before anything is sent, for a recipient or
    // address longer than kMaxNameBytes: no such name can be reached.
    static void RequireSendableNames(const CMsg& msg);

    Receiver* receiver_ = nullptr;
};
