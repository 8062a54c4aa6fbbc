// The LAN browser's tree and searches over a scripted network enumeration.

#include "test_wait.h"

#include "transport/browser/pl_messenger_names.h"
#include "transport/browser/pl_network_browser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace {

class ScriptedEnum : public PlNetEnum {
public:
    std::optional<std::vector<PlNetResource>> Enumerate(const PlNetResource* parent) override
    {
        std::lock_guard lock(mutex);
        const auto it = containers.find(parent == nullptr ? std::string() : parent->remoteName);
        if (it == containers.end())
            return std::nullopt;
        return it->second;
    }
    void Add(const std::string& container, PlNetResource resource)
    {
        std::lock_guard lock(mutex);
        containers[container].push_back(std::move(resource));
    }
    std::mutex mutex;
    std::map<std::string, std::vector<PlNetResource>> containers;
};

void FillLan(ScriptedEnum& lan, int computers)
{
    lan.containers[""] = {{kDisplayNetwork, "Network", {}}, {kDisplayServer, "\\\\LONER", "alone"}};
    lan.containers["Network"] = {{kDisplayDomain, "LABGROUP", "master"}, {kDisplayShare, "\\\\X\\share", {}}};
    for (int i = 0; i < computers; ++i)
        lan.containers["LABGROUP"].push_back({kDisplayServer, "\\\\HOST" + std::to_string(i), "c"});
}

struct Collector {
    void OnResult(PlNetResourceInfo info)
    {
        std::lock_guard lock(mutex);
        records.push_back(std::move(info));
    }
    void OnFinished() { ++finished; }
    std::vector<PlNetResourceInfo> Records()
    {
        std::lock_guard lock(mutex);
        return records;
    }
    std::mutex mutex;
    std::vector<PlNetResourceInfo> records;
    std::atomic<int> finished{0};
    PlVoidUnaryMemberFunction<Collector, PlNetResourceInfo> result{this, &Collector::OnResult};
    PlVoidNullaryMemberFunction<Collector> done{this, &Collector::OnFinished};
};

TEST(PlNetworkBrowser, SortsTheEnumerationIntoDomainsAndServers)
{
    ScriptedEnum lan;
    FillLan(lan, 2);
    PlNetworkBrowser browser(lan);
    browser.Refresh();
    const auto tree = browser.TreeCopy();
    ASSERT_EQ(tree->ChildCount(), 2u) << "the network's children hang under the root";
    const PlBrowseNode& domain = tree->Child(0);
    EXPECT_EQ(domain.Info(), (PlNetResourceInfo{kResourceDomain, "LABGROUP", "", "", "master", 1, 0}));
    ASSERT_EQ(domain.ChildCount(), 2u) << "the share is skipped";
    EXPECT_EQ(domain.Child(1).Info(), (PlNetResourceInfo{kResourceComputer, "HOST1", "HOST1", "", "c", 1, 0}));
    EXPECT_EQ(tree->Child(1).Info().name, "LONER") << "leading backslashes stripped";
}

TEST(PlNetworkBrowser, SearchDeliversDomainsAndRecipientsThenFinishes)
{
    ScriptedEnum lan;
    FillLan(lan, 2);
    PlNetworkBrowser browser(lan);
    browser.SetNameLookup([](const std::string& computer) {
        return computer == "HOST0" ? std::vector<std::string>{"ALICE", "HOST0"} : std::vector<std::string>{};
    });
    browser.Refresh();
    Collector collector;
    browser.Search(&collector.result, &collector.done);
    ASSERT_TRUE(WaitUntil([&] { return collector.finished.load() == 1; }));
    EXPECT_TRUE(browser.SearchFinished());
    const std::vector<PlNetResourceInfo> expected{
        {kResourceDomain, "LABGROUP", "", "LABGROUP", "master", 1, 0},
        {kResourceRecipient, "ALICE", "HOST0", "LABGROUP", "c", 1, 0},
        {kResourceRecipient, "HOST0", "HOST0", "LABGROUP", "c", 1, 0},
        {kResourceRecipient, "HOST1", "HOST1", "LABGROUP", "c", 0, 0},
        {kResourceRecipient, "LONER", "LONER", "", "alone", 0, 0},
    };
    EXPECT_EQ(collector.Records(), expected);
}

TEST(PlNetworkBrowser, CancelStopsTheWalkAndSilencesTheSearch)
{
    ScriptedEnum lan;
    FillLan(lan, 50);
    PlNetworkBrowser browser(lan);
    std::atomic<int> lookups{0};
    browser.SetNameLookup([&](const std::string&) {
        ++lookups;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::vector<std::string>{"USER"};
    });
    browser.Refresh();
    Collector collector;
    browser.Search(&collector.result, &collector.done);
    ASSERT_TRUE(WaitUntil([&] { return lookups.load() >= 2; }));
    browser.Cancel();
    EXPECT_TRUE(browser.SearchFinished());
    const std::size_t seen = collector.Records().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(collector.Records().size(), seen) << "nothing reaches the caller after Cancel";
    EXPECT_EQ(collector.finished.load(), 0);
    EXPECT_LT(lookups.load(), 10);
}

TEST(PlNetworkBrowser, SearchesThatEndedAloneAreNeverTouchedAgain)
{
    ScriptedEnum lan;
    FillLan(lan, 1);
    PlNetworkBrowser browser(lan);
    browser.SetNameLookup([](const std::string&) { return std::vector<std::string>{}; });
    browser.Refresh();
    Collector first;
    browser.Search(&first.result, &first.done);
    ASSERT_TRUE(WaitUntil([&] { return first.finished.load() == 1; }));
    browser.Cancel();  // the search has ended: nothing to cancel
    Collector second;
    browser.Search(&second.result, &second.done);
    browser.Search(&second.result, &second.done);  // a second search while one runs
    ASSERT_TRUE(WaitUntil([&] { return second.finished.load() == 2; }));
    EXPECT_EQ(first.finished.load(), 1);
}

TEST(MessengerNames, TakesUniqueMessengerNamesWithinTheReply)
{
    std::vector<std::uint8_t> reply(kAdapterStatusBufferSize, 0);
    const auto put = [&](std::size_t index, const char* name, std::uint8_t suffix, std::uint8_t flags) {
        NAME_BUFFER entry{};
        std::memset(entry.name, ' ', 15);
        std::memcpy(entry.name, name, std::strlen(name));
        entry.name[15] = suffix;
        entry.name_flags = flags;
        std::memcpy(reply.data() + sizeof(ADAPTER_STATUS) + index * sizeof entry, &entry, sizeof entry);
    };
    put(0, "HOSTA", 0x00, REGISTERED);
    put(1, "HOSTA", 0x03, REGISTERED);
    put(2, "LABGROUP", 0x03, GROUP_NAME | REGISTERED);
    put(3, "ALICE", 0x03, REGISTERED);
    ADAPTER_STATUS status{};
    status.name_count = 4;
    std::memcpy(reply.data(), &status, sizeof status);
    EXPECT_EQ(MessengerNamesOf(reply), (std::vector<std::string>{"HOSTA", "ALICE"}));
    status.name_count = 0xFFFF;
    std::memcpy(reply.data(), &status, sizeof status);
    EXPECT_EQ(MessengerNamesOf(reply).size(), 2u) << "a count beyond the buffer is cut";
    EXPECT_TRUE(MessengerNamesOf(std::span(reply).first(10)).empty());
}

}  // namespace

namespace {

TEST(PlNetworkBrowser, RefreshThreadRebuildsTheTreeAndDestructionStopsARunningSearch)
{
    ScriptedEnum lan;
    FillLan(lan, 1);
    std::atomic<int> lookups{0};
    Collector collector;
    {
        PlNetworkBrowser browser(lan, 20);
        browser.SetNameLookup([&](const std::string&) {
            ++lookups;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return std::vector<std::string>{};
        });
        ASSERT_TRUE(browser.CreateThread());
        ASSERT_TRUE(WaitUntil([&] { return browser.TreeCopy()->ChildCount() == 2; }));
        lan.Add("LABGROUP", {kDisplayServer, "\\\\LATECOMER", ""});
        ASSERT_TRUE(WaitUntil([&] { return browser.TreeCopy()->Child(0).ChildCount() == 2; }))
            << "the next refresh sees the new server";
        for (int i = 0; i < 200; ++i)
            lan.Add("LABGROUP", {kDisplayServer, "\\\\MORE" + std::to_string(i), ""});
        ASSERT_TRUE(WaitUntil([&] { return browser.TreeCopy()->Child(0).ChildCount() > 200; }));
        browser.Search(&collector.result, &collector.done);
        ASSERT_TRUE(WaitUntil([&] { return lookups.load() >= 2; }));
    }  // destroyed mid-search: the search is stopped and joined
    EXPECT_EQ(collector.finished.load(), 0);
    EXPECT_LT(lookups.load(), 100);
}

}  // namespace
