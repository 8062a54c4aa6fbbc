#pragma once
// PlMessagingClient: a client that sends messages of one kind and delivers the
// messages it receives to its receiver functor.

#include "transport/core/pl_functors.h"
#include "transport/messaging/c_msg.h"

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

protected:
    Receiver* receiver_ = nullptr;
};
