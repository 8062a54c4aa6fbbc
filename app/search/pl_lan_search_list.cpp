#include "app/search/pl_lan_search_list.h"

#include <algorithm>

#include "platform/text/pl_utf8.h"

namespace pl::search {

namespace {

constexpr char kNoHeader[] = "-";

std::string OrDash(const std::string& text)
{
    return text.empty() ? std::string(kNoHeader) : text;
}

bool IsPersonal(const PlNetResourceInfo& record)
{
    return record.kind == kResourceComputer || record.kind == kResourceRecipient;
}

}  // namespace

std::optional<Grouping> GroupingOfColumn(int column)
{
    switch (column) {
    case 0: return Grouping::FirstLetter;
    case 2: return Grouping::Computer;
    case 3: return Grouping::Domain;
    case 4: return Grouping::Status;
    default: return std::nullopt;
    }
}

bool IsAvailable(const PlNetResourceInfo& record)
{
    return record.flag == 1;
}

int PictureOf(const PlNetResourceInfo& record)
{
    return (IsPersonal(record) ? 0 : 1) + (IsAvailable(record) ? 0 : 2);
}

std::int32_t StatusTextId(const PlNetResourceInfo& record)
{
    return IsAvailable(record) ? kTextAvailable : kTextOffline;
}

std::int32_t RecipientType(const PlNetResourceInfo& record)
{
    return IsPersonal(record) ? kContactUser : kContactWorkgroup;
}

PlContactRecord ContactOf(const PlNetResourceInfo& record)
{
    PlContactRecord contact;
    contact.type = RecipientType(record);
    contact.realName = record.name;
    contact.displayName = record.comment.empty() ? record.name : record.comment;
    return contact;
}

PlLanSearchList::PlLanSearchList(std::string available, std::string offline)
    : available_(std::move(available)), offline_(std::move(offline))
{
}

void PlLanSearchList::Clear()
{
    rows_.clear();
    groups_.clear();
}

std::size_t PlLanSearchList::Add(const PlNetResourceInfo& record)
{
    rows_.push_back({record, GroupOf(record)});
    return rows_.size() - 1;
}

void PlLanSearchList::Regroup(Grouping grouping)
{
    groups_.clear();
    mode_ = grouping;
    const auto key = [grouping](const Row& row) -> const std::string& {
        switch (grouping) {
        case Grouping::Computer: return row.record.computer;
        case Grouping::Domain: return row.record.domain;
        default: return row.record.name;
        }
    };
    if (grouping == Grouping::Status)
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const Row& a, const Row& b) { return a.record.flag > b.record.flag; });
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&key](const Row& a, const Row& b) { return key(a) < key(b); });
    for (Row& row : rows_)
        row.group = GroupOf(row.record);
}

std::vector<PlLanSearchList::Group> PlLanSearchList::Groups() const
{
    std::vector<Group> groups;
    groups.reserve(groups_.size());
    for (const auto& [header, id] : groups_)
        groups.push_back({id, header});
    return groups;
}

std::string PlLanSearchList::HeaderOf(const PlNetResourceInfo& record) const
{
    switch (mode_) {
    // The first character, not the first byte: a byte of a longer UTF-8
    // character would be no text at all.
    case Grouping::FirstLetter: return OrDash(std::string(pl::utf8::PrefixChars(record.name, 1)));
    case Grouping::Computer: return OrDash(record.computer);
    case Grouping::Domain: return OrDash(record.domain);
    case Grouping::Status: return IsAvailable(record) ? available_ : offline_;
    }
    return kNoHeader;
}

int PlLanSearchList::GroupOf(const PlNetResourceInfo& record)
{
    const int next = static_cast<int>(groups_.size()) + 1;
    return groups_.try_emplace(HeaderOf(record), next).first->second;
}

}  // namespace pl::search
