#include "archive/pl_contacts_manager.h"

#include <algorithm>

namespace {

bool NameFitsFile(const std::string& name)
{
    return name.find_first_of(";\r\n") == std::string::npos;
}

PlContactEdit CheckRecord(const PlContactRecord& record)
{
    if (record.type != kContactUser && record.type != kContactWorkgroup)
        return PlContactEdit::kBadType;
    if (!NameFitsFile(record.realName) || !NameFitsFile(record.displayName) || !NameFitsFile(record.groupName))
        return PlContactEdit::kBadName;
    return PlContactEdit::kDone;
}

// The exchange sort of the list: for each position, every later item that
// sorts lower is exchanged with it at once.
template <typename T, typename Key>
void ExchangeSort(std::vector<T>& items, Key key)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        for (std::size_t j = i + 1; j < items.size(); ++j)
            if (key(items[j]) < key(items[i]))
                std::swap(items[i], items[j]);
}

}  // namespace

const char* PlContactEditText(PlContactEdit result)
{
    switch (result) {
    case PlContactEdit::kDone: return "done";
    case PlContactEdit::kBadName: return "a contact's names must not contain \";\" or line breaks";
    case PlContactEdit::kBadType: return "a contact is either a user or computer (1) or a domain or workgroup (2)";
    case PlContactEdit::kNoSuchMember: return "the contact was removed meanwhile";
    }
    return "unknown result";
}

PlContactsManager::PlContactsManager(int pollPeriodMs) : pollPeriodMs_(pollPeriodMs) {}

PlContactsManager::~PlContactsManager()
{
    Stop();
}

void PlContactsManager::SetView(PlContactListView* view)
{
    std::lock_guard lock(lock_);
    view_ = view;
}

void PlContactsManager::SetNetwork(PlNetbiosNetwork* network)
{
    std::lock_guard lock(lock_);
    network_ = network;
}

void PlContactsManager::SetWorkgroupListed(PlWorkgroupListed listed)
{
    std::lock_guard lock(lock_);
    workgroupListed_ = std::move(listed);
}

// ---- tree -------------------------------------------------------------------

PlContactsManager::Group& PlContactsManager::GroupNamed(const std::string& name, bool openWhenNew)
{
    for (Group& group : groups_)
        if (group.header.realName == name)
            return group;
    Group& group = groups_.emplace_back();
    group.header.type = kContactGroupRow;
    group.header.realName = name;
    group.header.displayName = name;
    group.closed = !openWhenNew;
    return group;
}

void PlContactsManager::FileMember(std::shared_ptr<PlContactMember> member)
{
    Group& group = GroupNamed(member->record.groupName, true);
    group.members.push_back(std::move(member));
}

void PlContactsManager::SortLocked()
{
    ExchangeSort(groups_, [](const Group& g) -> const std::string& { return g.header.displayName; });
    for (Group& group : groups_)
        ExchangeSort(group.members, [](const std::shared_ptr<PlContactMember>& m) -> const std::string& {
            return m->record.displayName;
        });
}

PlContactsManager::Group* PlContactsManager::GroupOf(const PlContactMember* member)
{
    for (Group& group : groups_)
        for (const auto& m : group.members)
            if (m.get() == member)
                return &group;
    return nullptr;
}

bool PlContactsManager::Detach(const PlContactMember* member)
{
    for (Group& group : groups_) {
        auto found =
            std::find_if(group.members.begin(), group.members.end(), [&](const auto& m) { return m.get() == member; });
        if (found != group.members.end()) {
            group.members.erase(found);
            return true;
        }
    }
    return false;
}

void PlContactsManager::NotifyRepaint()
{
    PlContactListView* view = nullptr;
    {
        std::lock_guard lock(lock_);
        view = view_;
    }
    if (view != nullptr)
        view->Repaint();
}

void PlContactsManager::Load(bool fromFile)
{
    if (dataSet_ == nullptr)
        return;
    if (fromFile)
        dataSet_->Load();
    std::vector<std::string> names;
    PlContactListView* view = nullptr;
    {
        std::lock_guard lock(lock_);
        groups_.clear();
        for (const PlContactRecord& record : dataSet_->Records()) {
            Group& group = GroupNamed(record.groupName, false);
            if (record.groupOpen != 0)
                group.closed = false;
            group.members.push_back(std::make_shared<PlContactMember>(PlContactMember{record, false}));
        }
        for (const Group& group : groups_) {
            names.push_back(group.header.realName + "(Group)");
            if (!group.closed)
                for (const auto& member : group.members)
                    names.push_back(member->record.realName);
        }
        SortLocked();
        view = view_;
    }
    if (view != nullptr) {
        view->SetNameList(names);
        view->RefreshList();
        view->Repaint();
    }
}

bool PlContactsManager::Save()
{
    if (dataSet_ == nullptr)
        return false;
    std::vector<PlContactRecord> records;
    {
        std::lock_guard lock(lock_);
        for (const Group& group : groups_)
            for (const auto& member : group.members) {
                PlContactRecord record = member->record;
                record.groupOpen = group.closed ? 0 : 1;
                records.push_back(std::move(record));
            }
    }
    dataSet_->ClearAll();
    for (const PlContactRecord& record : records)
        dataSet_->AppendRecord(record);
    return dataSet_->Save();
}

PlContactEdit PlContactsManager::AddContact(const PlContactRecord& record)
{
    const PlContactEdit check = CheckRecord(record);
    if (check != PlContactEdit::kDone)
        return check;
    std::lock_guard lock(lock_);
    FileMember(std::make_shared<PlContactMember>(PlContactMember{record, false}));
    return PlContactEdit::kDone;
}

PlContactEdit PlContactsManager::UpdateContact(const std::weak_ptr<PlContactMember>& member,
                                               const PlContactRecord& edited)
{
    const PlContactEdit check = CheckRecord(edited);
    if (check != PlContactEdit::kDone)
        return check;
    {
        std::lock_guard lock(lock_);
        const std::shared_ptr<PlContactMember> target = member.lock();
        Group* group = target ? GroupOf(target.get()) : nullptr;
        if (group == nullptr)
            return PlContactEdit::kNoSuchMember;
        if (target->record.realName != edited.realName || target->record.type != edited.type)
            target->available = false;
        target->record = edited;
        if (group->header.realName != edited.groupName) {
            Detach(target.get());  // the old group stays, possibly empty
            FileMember(target);
        }
        SortLocked();
    }
    NotifyRepaint();
    return PlContactEdit::kDone;
}

bool PlContactsManager::RemoveContact(const std::weak_ptr<PlContactMember>& member)
{
    bool removed = false;
    {
        std::lock_guard lock(lock_);
        const std::shared_ptr<PlContactMember> target = member.lock();
        removed = target && Detach(target.get());
    }
    if (removed)
        NotifyRepaint();
    return removed;
}

void PlContactsManager::GetGroupNames(std::vector<std::string>& names)
{
    std::lock_guard lock(lock_);
    names.clear();
    for (const Group& group : groups_)
        names.push_back(group.header.realName);
}

// ---- rows ---------------------------------------------------------------------

PlContactsManager::RowPlace PlContactsManager::Locate(std::int32_t row)
{
    if (row < 0)
        return {};
    for (Group& group : groups_) {
        if (row == 0)
            return {&group, -1};
        --row;
        if (!group.closed) {
            const auto count = static_cast<std::int32_t>(group.members.size());
            if (row < count)
                return {&group, row};
            row -= count;
        }
    }
    return {};
}

std::optional<PlContactItem> PlContactsManager::ItemAt(std::int32_t row)
{
    std::lock_guard lock(lock_);
    const RowPlace place = Locate(row);
    if (place.group == nullptr)
        return std::nullopt;
    if (place.member < 0)
        return PlContactItem{place.group->header, {}, false};
    const auto& member = place.group->members[static_cast<std::size_t>(place.member)];
    return PlContactItem{member->record, member, member->available};
}

std::vector<PlContactGroupCopy> PlContactsManager::Tree()
{
    std::lock_guard lock(lock_);
    std::vector<PlContactGroupCopy> tree;
    for (const Group& group : groups_) {
        PlContactGroupCopy& copy = tree.emplace_back();
        copy.name = group.header.realName;
        copy.open = !group.closed;
        for (const auto& member : group.members)
            copy.members.push_back({member->record, member, member->available});
    }
    return tree;
}

std::int32_t PlContactsManager::GetRowCount()
{
    std::lock_guard lock(lock_);
    std::size_t rows = groups_.size();
    for (const Group& group : groups_)
        if (!group.closed)
            rows += group.members.size();
    return static_cast<std::int32_t>(rows);
}

std::string PlContactsManager::GetRowText(std::int32_t row)
{
    std::lock_guard lock(lock_);
    const RowPlace place = Locate(row);
    if (place.group == nullptr)
        return {};
    if (place.member < 0)
        return place.group->header.realName;
    return place.group->members[static_cast<std::size_t>(place.member)]->record.displayName;
}

std::int32_t PlContactsManager::GetRowImage(std::int32_t row)
{
    std::lock_guard lock(lock_);
    const RowPlace place = Locate(row);
    if (place.group == nullptr)
        return -1;
    if (place.member < 0)
        return place.group->closed ? 0 : 1;
    const PlContactMember& member = *place.group->members[static_cast<std::size_t>(place.member)];
    if (member.record.type == kContactUser)
        return member.available ? 3 : 5;
    return member.available ? 2 : 4;
}

bool PlContactsManager::IsGroupRow(std::int32_t row)
{
    std::lock_guard lock(lock_);
    const RowPlace place = Locate(row);
    return place.group != nullptr && place.member < 0;
}

void PlContactsManager::Toggle(std::int32_t row)
{
    PlContactListView* view = nullptr;
    {
        std::lock_guard lock(lock_);
        const RowPlace place = Locate(row);
        if (place.group == nullptr || place.member >= 0)
            return;
        place.group->closed = !place.group->closed;
        view = view_;
    }
    if (view != nullptr)
        view->RefreshList();
}
