// What the LAN search window shows: groups in each mode (an empty name,
// computer or domain under "-", headers in byte order, ids by first use),
// the rows' order after regrouping, and the rules of one record.

#include <gtest/gtest.h>

#include "app/search/pl_lan_search_list.h"

namespace {

using namespace pl::search;

PlNetResourceInfo Recipient(std::string name, std::string computer, std::string domain, std::int32_t flag,
                            std::string comment = {})
{
    return {kResourceRecipient, std::move(name), std::move(computer), std::move(domain), std::move(comment), flag, 0};
}

std::vector<std::string> Headers(const PlLanSearchList& list)
{
    std::vector<std::string> headers;
    for (const auto& group : list.Groups())
        headers.push_back(group.header);
    return headers;
}

// Each row's name and the header of its group, in row order.
std::vector<std::pair<std::string, std::string>> Rows(const PlLanSearchList& list)
{
    std::map<int, std::string> headers;
    for (const auto& group : list.Groups())
        headers[group.id] = group.header;
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& row : list.Rows())
        rows.emplace_back(row.record.name, headers.at(row.group));
    return rows;
}

class LanSearchListTest : public ::testing::Test {
protected:
    LanSearchListTest()
    {
        list_.Add({kResourceDomain, "LABGROUP", "", "LABGROUP", "master", 1, 0});
        list_.Add(Recipient("zed", "HOSTZ", "LABGROUP", 1));
        list_.Add(Recipient("LONER", "LONER", "", 0));  // no domain, did not answer
        list_.Add(Recipient("", "HOSTZ", "LABGROUP", 1));
        list_.Add(Recipient("Ёлка", "", "LABGROUP", 1));
    }
    PlLanSearchList list_{"Available", "Offline"};
};

TEST_F(LanSearchListTest, OpensGroupedByDomainInArrivalOrder)
{
    EXPECT_EQ(list_.Mode(), Grouping::Domain);
    EXPECT_EQ(Headers(list_), (std::vector<std::string>{"-", "LABGROUP"}));
    EXPECT_EQ(list_.Groups()[0].id, 2) << "ids count from 1 in order of first use";
    EXPECT_EQ(Rows(list_)[2], (std::pair<std::string, std::string>{"LONER", "-"}));
    EXPECT_EQ(Rows(list_)[4].second, "LABGROUP");
}

TEST_F(LanSearchListTest, RegroupsAndSortsInEachMode)
{
    using Expected = std::vector<std::pair<std::string, std::string>>;
    list_.Regroup(Grouping::FirstLetter);
    EXPECT_EQ(Rows(list_), (Expected{{"", "-"}, {"LABGROUP", "L"}, {"LONER", "L"}, {"zed", "z"}, {"Ёлка", "Ё"}}))
        << "by name; the first letter is a whole UTF-8 character";
    EXPECT_EQ(Headers(list_), (std::vector<std::string>{"-", "L", "z", "Ё"}));

    list_.Regroup(Grouping::Computer);
    EXPECT_EQ(Rows(list_),
              (Expected{{"LABGROUP", "-"}, {"Ёлка", "-"}, {"", "HOSTZ"}, {"zed", "HOSTZ"}, {"LONER", "LONER"}}))
        << "stable: equal computers keep the order they had";

    list_.Regroup(Grouping::Status);
    EXPECT_EQ(Headers(list_), (std::vector<std::string>{"Available", "Offline"}));
    EXPECT_EQ(Rows(list_).back(), (std::pair<std::string, std::string>{"LONER", "Offline"}));

    list_.Add(Recipient("late", "HOSTL", "", 0));
    EXPECT_EQ(Rows(list_).back(), (std::pair<std::string, std::string>{"late", "Offline"}))
        << "a record arriving later joins the current mode's group";
    list_.Clear();
    EXPECT_TRUE(list_.Rows().empty());
    list_.Add(Recipient("again", "H", "", 1));
    EXPECT_EQ(list_.Groups().front().id, 1);
    EXPECT_EQ(list_.Mode(), Grouping::Status) << "a new search keeps the grouping";
}

TEST(LanSearchRecord, ColumnsPicturesAndStatus)
{
    EXPECT_EQ(GroupingOfColumn(0), Grouping::FirstLetter);
    EXPECT_EQ(GroupingOfColumn(1), std::nullopt) << "the comment groups nothing";
    EXPECT_EQ(GroupingOfColumn(4), Grouping::Status);

    const PlNetResourceInfo domain{kResourceDomain, "LABGROUP", "", "LABGROUP", "", 1, 0};
    const PlNetResourceInfo offline = Recipient("HOSTA", "HOSTA", "LABGROUP", 0);
    EXPECT_EQ(PictureOf(domain), 1);
    EXPECT_EQ(PictureOf(offline), 2);
    EXPECT_EQ(PictureOf(PlNetResourceInfo{kResourceDomain, "X", "", "X", "", 7, 0}), 3) << "any flag but 1 is offline";
    EXPECT_EQ(PictureOf(PlNetResourceInfo{kResourceComputer, "C", "C", "", "", 1, 0}), 0);
    EXPECT_EQ(StatusTextId(offline), kTextOffline);
    EXPECT_EQ(StatusTextId(domain), kTextAvailable);
}

TEST(LanSearchRecord, BecomesAContactOrARecipient)
{
    EXPECT_EQ(ContactOf(Recipient("alice", "HOSTA", "LABGROUP", 1)),
              (PlContactRecord{kContactUser, "alice", "alice", "", 0}))
        << "without a comment the name is shown";
    EXPECT_EQ(ContactOf(Recipient("HOSTB", "HOSTB", "", 0, "printer room")),
              (PlContactRecord{kContactUser, "HOSTB", "printer room", "", 0}));
    EXPECT_EQ(ContactOf({kResourceDomain, "LABGROUP", "", "LABGROUP", "", 1, 0}).type, kContactWorkgroup);
    EXPECT_EQ(RecipientType({kResourceComputer, "C", "C", "", "", 1, 0}), 1);
    EXPECT_EQ(RecipientType({kResourceDomain, "D", "", "D", "", 1, 0}), 2);
}

}  // namespace
