#pragma once
// Hands received messages on in the order their sessions answered them. The
// sessions of one name are served on several workers, and a sender starts its
// next message as soon as the last one was answered, so without an order a
// worker that is slower to deliver would let the later message overtake the
// earlier one. A session takes a ticket just before its final answer; the
// ticket's holders deliver one after another, in ticket order. Thread-safe.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class PlDeliveryOrder {
public:
    // A place in the order. Its holder calls Deliver once; a ticket dropped
    // without it (the answer failed) lets the next holders go on.
    class Ticket {
    public:
        Ticket(Ticket&& other) noexcept;
        Ticket& operator=(Ticket&&) = delete;
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket();

        // Waits for every earlier ticket, then runs `deliver`.
        void Deliver(const std::function<void()>& deliver);

    private:
        friend class PlDeliveryOrder;
        Ticket(PlDeliveryOrder& order, std::uint64_t number) : order_(&order), number_(number) {}
        PlDeliveryOrder* order_;
        std::uint64_t number_;
    };

    Ticket Take();

private:
    void Complete(std::uint64_t number, const std::function<void()>& deliver);

    std::mutex mutex_;
    std::condition_variable turn_;
    std::uint64_t next_ = 0;     // the number of the next ticket taken
    std::uint64_t current_ = 0;  // the number whose turn it is
};
