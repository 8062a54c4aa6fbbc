#include "transport/messaging/pl_delivery_order.h"

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Holders deliver in the order they took their tickets, whichever thread
// gets there first; a ticket dropped without a delivery does not hold up
// the ones after it, and a delivery that throws passes the turn on too.
TEST(DeliveryOrder, HoldersDeliverInTicketOrderWhateverTheThreadsDo)
{
    PlDeliveryOrder order;
    std::vector<PlDeliveryOrder::Ticket> tickets;
    for (int i = 0; i < 5; ++i)
        tickets.push_back(order.Take());
    std::mutex mutex;
    std::vector<int> delivered;
    std::vector<std::thread> threads;
    // Ticket 2 is dropped, ticket 3's delivery throws; the others deliver,
    // started from the last to the first.
    for (int i = 4; i >= 0; --i) {
        threads.emplace_back([&, i, ticket = std::move(tickets[static_cast<std::size_t>(i)])]() mutable {
            if (i == 2)
                return;
            try {
                ticket.Deliver([&] {
                    if (i == 3)
                        throw 3;
                    std::lock_guard lock(mutex);
                    delivered.push_back(i);
                });
            } catch (int) {
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered, (std::vector<int>{0, 1, 4}));

    // The order goes on after all that.
    std::optional<int> next;
    order.Take().Deliver([&] { next = 5; });
    EXPECT_EQ(next, 5);
}

}  // namespace
