#pragma once
// Test support for the personal client: an inbox that collects the delivered
// messages, and a station (network plus client on one NCB entry) torn down in
// the safe order: the network's refresh stops, then the client, then the network.

#include "test_wait.h"

#include <gtest/gtest.h>

#include "transport/core/pl_network_err.h"
#include "transport/messaging/pl_smb_messaging_client.h"
#include "transport/netbios/pl_netbios_network.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Inbox {
    void OnMessage(CMsg msg)
    {
        std::lock_guard lock(mutex);
        messages.push_back(std::move(msg));
    }
    std::size_t Count()
    {
        std::lock_guard lock(mutex);
        return messages.size();
    }
    std::mutex mutex;
    std::vector<CMsg> messages;
};

class Station {
public:
    // `adapters`: how many adapters the entry reports, so that WaitReady knows
    // how many names to wait for.
    Station(PlNetbiosEntry entry, std::size_t adapters, const std::string& computer, const std::string& user,
            int refreshMs = 10)
        : adapters_(adapters)
    {
        network_ = std::make_unique<PlNetbiosNetwork>(std::move(entry), refreshMs);
        client_ = std::make_unique<PlSmbMessagingClient>(*network_, computer, user);
        client_->SetReceiver(&receiver_);
        client_->CreateThread();
        network_->SetListener(client_->ChangeListener());
        network_->StartRefresh();
    }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station()
    {
        network_->StopRefresh();
        client_.reset();
        network_.reset();
    }

    bool WaitReady()
    {
        return WaitUntil([&] { return client_->OpenNameCount() == 2 * adapters_; });
    }
    PlSmbMessagingClient& Client() { return *client_; }

    Inbox inbox;

private:
    std::size_t adapters_;
    PlVoidUnaryMemberFunction<Inbox, CMsg> receiver_{&inbox, &Inbox::OnMessage};
    std::unique_ptr<PlNetbiosNetwork> network_;
    std::unique_ptr<PlSmbMessagingClient> client_;
};

// Sends `messages` texts from every station at once, one thread per station,
// to `to`. The receiver serves one session at a time, so a sender that found
// it busy for a whole call tries again, as a user would, up to `retries` times.
// Returns how many messages could not be sent.
inline int SendAllAtOnce(const std::vector<Station*>& senders, const std::string& to, int messages, int retries,
                         const std::function<std::string(int, int)>& textOf)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < static_cast<int>(senders.size()); ++i)
        threads.emplace_back([&, i] {
            for (int m = 0; m < messages; ++m) {
                const CMsg msg{kPersonalMessage, to, "ALICE", to, textOf(i, m)};
                for (int attempt = 0;; ++attempt) {
                    try {
                        senders[static_cast<std::size_t>(i)]->Client().Send(msg);
                        break;
                    } catch (const PlAddrNotFoundErr&) {
                        if (attempt == retries) {
                            ++failures;
                            break;
                        }
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    } catch (const PlNetworkErr&) {
                        ++failures;
                        break;
                    }
                }
            }
        });
    for (auto& thread : threads)
        thread.join();
    return failures.load();
}

// Whether every text of every sender arrived exactly once (and nothing else).
inline ::testing::AssertionResult EachDeliveredOnce(Inbox& inbox, int senders, int messages,
                                                    const std::function<std::string(int, int)>& textOf)
{
    std::map<std::string, int> seen;
    {
        std::lock_guard lock(inbox.mutex);
        for (const CMsg& msg : inbox.messages)
            ++seen[msg.text];
    }
    for (int i = 0; i < senders; ++i)
        for (int m = 0; m < messages; ++m) {
            const auto it = seen.find(textOf(i, m));
            if (it == seen.end() || it->second != 1)
                return ::testing::AssertionFailure()
                       << textOf(i, m) << " arrived " << (it == seen.end() ? 0 : it->second) << " times";
            seen.erase(it);
        }
    if (!seen.empty())
        return ::testing::AssertionFailure() << "unexpected text: " << seen.begin()->first;
    return ::testing::AssertionSuccess();
}
