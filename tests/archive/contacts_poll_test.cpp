#include "archive/pl_contacts_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fake_contact_list_view.h"
#include "fake_netbios_lan.h"
#include "transport/netbios/nb_primitives.h"
#include "transport/netbios/pl_netbios_network.h"

namespace {

using namespace std::chrono_literals;

// A manager whose network is one host of a fake LAN with adapters 0 and 1;
// the peer host sits on adapter 1 only, so an answer needs the second adapter.
class ContactPoll : public ::testing::Test {
protected:
    ContactPoll() : self(lan.AddHost({0, 1})), peer(lan.AddHost({1})), network(lan.Entry(self))
    {
        {
            std::lock_guard lock(network.Lock());
            network.Rebuild();
        }
        manager.SetDataSet(&set);
        manager.SetView(&view);
        manager.SetNetwork(&network);
        manager.SetWorkgroupListed([this](const std::string& name) { return name == listedWorkgroup.load(); });
    }

    void Register(const std::string& name)
    {
        ASSERT_EQ(pl::ncb::AddName(lan.Entry(peer), 1, pl::MakeNetbiosName(name, pl::ncb::kMessengerSuffix)), 0);
    }
    void Unregister(const std::string& name)
    {
        ASSERT_EQ(pl::ncb::DeleteName(lan.Entry(peer), 1, pl::MakeNetbiosName(name, pl::ncb::kMessengerSuffix)), 0);
    }

    std::int32_t ImageOf(const std::string& displayName)
    {
        for (std::int32_t row = 0; row < manager.GetRowCount(); ++row)
            if (!manager.IsGroupRow(row) && manager.GetRowText(row) == displayName)
                return manager.GetRowImage(row);
        return -2;
    }

    FakeNetbiosLan lan;
    FakeNetbiosLan::HostId self;
    FakeNetbiosLan::HostId peer;
    PlNetbiosNetwork network;
    PlContactsDataSet set;
    FakeContactListView view;
    PlContactsManager manager;
    std::atomic<const char*> listedWorkgroup{"WORKGROUP"};
};

// One adapter on which nobody ever answers: an adapter status stays pending
// until it is cancelled, as on a LAN where the name's owner is silent, so
// every query lasts its full time limit.
class SilentAdapter {
public:
    std::uint8_t Submit(NCB* ncb)
    {
        std::lock_guard lock(mutex_);
        switch (ncb->ncb_command & ~ASYNCH) {
        case NCBENUM: {
            auto* lanas = reinterpret_cast<LANA_ENUM*>(ncb->ncb_buffer);
            lanas->length = 1;
            lanas->lana[0] = 0;
            return NRC_GOODRET;
        }
        case NCBASTAT:
            ++queries;
            ncb->ncb_retcode = ncb->ncb_cmd_cplt = NRC_PENDING;
            return NRC_GOODRET;
        case NCBCANCEL: {
            NCB* target = reinterpret_cast<NCB*>(ncb->ncb_buffer);
            if (target->ncb_cmd_cplt == NRC_PENDING) {
                target->ncb_retcode = target->ncb_cmd_cplt = NRC_CMDCAN;
                target->ncb_event->Set();
            }
            return NRC_GOODRET;
        }
        default: return NRC_ILLCMD;
        }
    }

    std::atomic<int> queries{0};

private:
    std::mutex mutex_;
};

}  // namespace

TEST(ContactPollStop, StopWaitsForOneQueryAtMost)
{
    SilentAdapter adapter;
    PlNetbiosNetwork silent([&adapter](NCB* ncb) { return adapter.Submit(ncb); });
    {
        std::lock_guard lock(silent.Lock());
        silent.Rebuild();
    }
    PlContactsManager manager;
    manager.SetNetwork(&silent);
    for (int i = 0; i < 10; ++i)
        manager.AddContact({kContactUser, std::string("PC").append(std::to_string(i)),
                            std::string("PC").append(std::to_string(i)), "G", 1});
    manager.Start();
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (adapter.queries == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    // A whole poll takes ten queries of 3 s; Stop waits for the one running.
    const auto before = std::chrono::steady_clock::now();
    manager.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 15s);
    EXPECT_LE(adapter.queries, 2);
    // A poll cut short stores nothing.
    EXPECT_EQ(manager.GetRowImage(1), 5);
}

TEST_F(ContactPoll, AvailabilityFollowsAnswersAndTheBrowserList)
{
    Register("BOB");
    manager.AddContact({kContactUser, "bob", "Bob", "G", 1});
    manager.AddContact({kContactUser, "carol", "Carol", "G", 1});
    manager.AddContact({kContactWorkgroup, "WORKGROUP", "Office", "G", 1});
    manager.AddContact({kContactWorkgroup, "OTHER", "Other", "G", 1});

    const int repaints = view.repaints;
    EXPECT_TRUE(manager.Poll());
    EXPECT_EQ(ImageOf("Bob"), 3);
    EXPECT_EQ(ImageOf("Carol"), 5);
    EXPECT_EQ(ImageOf("Office"), 2);
    EXPECT_EQ(ImageOf("Other"), 4);
    EXPECT_EQ(view.repaints, repaints + 1);
    // Adapter 0 was asked first, then adapter 1 answered.
    EXPECT_GE(lan.Submissions(NCBASTAT), 3);

    // Nothing changed: no repaint.
    EXPECT_FALSE(manager.Poll());
    EXPECT_EQ(view.repaints, repaints + 1);

    Unregister("BOB");
    listedWorkgroup = "OTHER";
    EXPECT_TRUE(manager.Poll());
    EXPECT_EQ(ImageOf("Bob"), 5);
    EXPECT_EQ(ImageOf("Office"), 4);
    EXPECT_EQ(ImageOf("Other"), 2);
}

TEST_F(ContactPoll, ContactsWithTheSameAddressShareOneQuery)
{
    Register("BOB");
    manager.AddContact({kContactUser, "BOB", "Bob at work", "Work", 1});
    manager.AddContact({kContactUser, "BOB", "Bob at home", "Home", 1});
    manager.Poll();
    EXPECT_EQ(lan.Submissions(NCBASTAT), 2);  // adapter 0, then adapter 1
    EXPECT_EQ(ImageOf("Bob at work"), 3);
    EXPECT_EQ(ImageOf("Bob at home"), 3);

    // A removed contact leaves the status list; re-added, it is asked afresh.
    manager.RemoveContact(manager.ItemAt(1)->member);
    EXPECT_EQ(ImageOf("Bob at work"), -2);
    Unregister("BOB");
    manager.Poll();
    EXPECT_EQ(ImageOf("Bob at home"), 5);
}

TEST_F(ContactPoll, ThreadPollsAtStartAndStopsPromptly)
{
    Register("BOB");
    manager.AddContact({kContactUser, "bob", "Bob", "G", 1});
    manager.Start();
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (ImageOf("Bob") != 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(ImageOf("Bob"), 3);
    // The period is three minutes: Stop must not wait for it.
    const auto before = std::chrono::steady_clock::now();
    manager.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
}

TEST_F(ContactPoll, EditsWhilePollingStaySafe)
{
    Register("BOB");
    PlContactsManager fast(1);
    fast.SetNetwork(&network);
    fast.SetWorkgroupListed([](const std::string&) { return true; });
    fast.Start();
    for (int i = 0; i < 200; ++i) {
        fast.AddContact(
            {i % 2 ? kContactUser : kContactWorkgroup, i % 3 ? "BOB" : std::string("X").append(std::to_string(i)),
             std::string("N").append(std::to_string(i)), std::string("G").append(std::to_string(i % 4)), 1});
        if (i % 5 == 0)
            fast.RemoveContact(fast.ItemAt(1)->member);
        for (std::int32_t row = 0; row < fast.GetRowCount(); ++row)
            fast.GetRowImage(row);
    }
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (lan.Submissions(NCBASTAT) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    fast.Stop();
    EXPECT_GT(lan.Submissions(NCBASTAT), 0);
}
