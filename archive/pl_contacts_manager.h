#pragma once
// PlContactsManager: the contact list as a two-level tree (groups in order,
// each with its members), built from the contacts data set and written back
// to it; the rows the contact list window draws; the edits of the contact
// windows; and a thread that every three minutes asks the network which
// contacts answer.
//
// Threads: every operation may run on any thread; the tree and the status
// list are guarded by one lock, which the polling thread never holds during a
// network query. Load and Save use the data set, which belongs to the user
// interface thread. Members are shared with the callers of ItemAt only as
// weak references: an edit through a reference to a member that another
// edit removed is refused.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "archive/pl_contact_reachability.h"
#include "archive/pl_contact_record.h"
#include "archive/pl_contacts_data_set.h"
#include "archive/pl_cool_menu_manager_interface.h"
#include "transport/core/pl_thread.h"

struct PlContactMember {
    PlContactRecord record;
    bool available = false;
};

// One row of the list as ItemAt reports it: a copy of the group header
// (Type 3) or of the member's record, and for a member row the member itself.
struct PlContactItem {
    PlContactRecord record;
    std::weak_ptr<PlContactMember> member;
    bool available = false;
};

// One group of the tree as Tree reports it, members in tree order.
struct PlContactGroupCopy {
    std::string name;
    bool open = false;
    std::vector<PlContactItem> members;
};

enum class PlContactEdit {
    kDone,
    kBadName,       // a name holds ";" or a line break, which the contacts file cannot keep
    kBadType,       // the Type is neither 1 nor 2
    kNoSuchMember,  // the member was removed meanwhile
};

// The reason for a refused edit, in plain words.
const char* PlContactEditText(PlContactEdit result);

class PlContactsManager : public PlCoolMenuManagerInterface {
public:
    static constexpr int kPollPeriodMs = 180000;

    explicit PlContactsManager(int pollPeriodMs = kPollPeriodMs);
    ~PlContactsManager() override;

    // Not owned; null detaches. Set before Load, Start and Save.
    void SetDataSet(PlContactsDataSet* dataSet) { dataSet_ = dataSet; }
    void SetView(PlContactListView* view);
    void SetNetwork(PlNetbiosNetwork* network);
    void SetWorkgroupListed(PlWorkgroupListed listed);

    // Rebuilds the tree from the data set (reading the file first when
    // fromFile), hands the window its name list, sorts and repaints.
    void Load(bool fromFile);
    // Writes the tree into the data set and the file; false when the file
    // could not be written. Groups without members are not kept.
    bool Save();

    PlContactEdit AddContact(const PlContactRecord& record);
    // Replaces the member's record by `edited` and files it under the group
    // `edited` names (created open when new); then sorts and repaints.
    PlContactEdit UpdateContact(const std::weak_ptr<PlContactMember>& member, const PlContactRecord& edited);
    bool RemoveContact(const std::weak_ptr<PlContactMember>& member);
    void GetGroupNames(std::vector<std::string>& names);
    std::optional<PlContactItem> ItemAt(std::int32_t row);
    // A copy of the whole tree, closed groups' members included.
    std::vector<PlContactGroupCopy> Tree();

    std::int32_t GetRowCount() override;
    std::string GetRowText(std::int32_t row) override;
    std::int32_t GetRowImage(std::int32_t row) override;
    bool IsGroupRow(std::int32_t row) override;
    void Toggle(std::int32_t row) override;

    // The polling thread: Start polls at once and then every period; Stop
    // returns within one network query.
    void Start();
    void Stop();
    // One poll on the calling thread; true when some availability changed.
    bool Poll() { return Poll(nullptr); }

    void ThreadMain(PlThread& thread);

private:
    struct Group {
        PlContactRecord header;
        bool closed = true;
        std::vector<std::shared_ptr<PlContactMember>> members;
    };
    struct Status {
        PlContactRecord record;
        bool stale = false;
        bool available = false;
    };
    // Where a row lies: the group, and the member index or −1 for the group row.
    struct RowPlace {
        Group* group = nullptr;
        std::int32_t member = -1;
    };

    // REQUIRES: lock_ held.
    RowPlace Locate(std::int32_t row);
    Group& GroupNamed(const std::string& name, bool openWhenNew);
    void FileMember(std::shared_ptr<PlContactMember> member);
    void SortLocked();
    Group* GroupOf(const PlContactMember* member);
    bool Detach(const PlContactMember* member);

    bool Poll(const PlThread* thread);
    bool Available(const PlContactRecord& record, const PlThread* thread);
    void NotifyRepaint();

    std::mutex lock_;  // guards groups_, statuses_ and the network objects
    std::vector<Group> groups_;
    std::vector<Status> statuses_;
    PlContactsDataSet* dataSet_ = nullptr;
    PlContactListView* view_ = nullptr;
    PlNetbiosNetwork* network_ = nullptr;
    PlWorkgroupListed workgroupListed_;
    const int pollPeriodMs_;
    PlClassThread<PlContactsManager> thread_{this};
};
