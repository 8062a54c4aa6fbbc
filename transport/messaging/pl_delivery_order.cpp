#include "transport/messaging/pl_delivery_order.h"

PlDeliveryOrder::Ticket PlDeliveryOrder::Take()
{
    std::lock_guard lock(mutex_);
    return Ticket(*this, next_++);
}

void PlDeliveryOrder::Complete(std::uint64_t number, const std::function<void()>& deliver)
{
    std::unique_lock lock(mutex_);
    turn_.wait(lock, [&] { return current_ == number; });
    // No later ticket delivers before this one has; the delivery itself runs
    // without the lock, so that sessions can take tickets meanwhile.
    struct Advance {
        PlDeliveryOrder& order;
        ~Advance()
        {
            ++order.current_;
            order.turn_.notify_all();
        }
    } advance{*this};
    if (deliver) {
        lock.unlock();
        try {
            deliver();
        } catch (...) {
            lock.lock();
            throw;
        }
        lock.lock();
    }
}

PlDeliveryOrder::Ticket::Ticket(Ticket&& other) noexcept : order_(other.order_), number_(other.number_)
{
    other.order_ = nullptr;
}

PlDeliveryOrder::Ticket::~Ticket()
{
    if (order_ != nullptr)
        order_->Complete(number_, {});
}

void PlDeliveryOrder::Ticket::Deliver(const std::function<void()>& deliver)
{
    PlDeliveryOrder* order = order_;
    order_ = nullptr;
    if (order != nullptr)
        order->Complete(number_, deliver);
}
