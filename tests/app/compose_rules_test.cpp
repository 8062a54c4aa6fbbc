// Reading the recipient field and the limits of a message's length.

#include <gtest/gtest.h>

#include "app/compose/pl_recipients.h"
#include "app/compose/pl_send_rules.h"

namespace {

// A field whose names each start with a picture of the given type.
PlRecipientField Field(std::u32string text, std::vector<int> types)
{
    PlRecipientField field;
    std::size_t next = 0;
    bool atName = true;
    for (char32_t c : text) {
        if (c == U',' || c == U';') {
            atName = true;
        } else if (atName && c != U' ' && next < types.size()) {
            field.pictures[field.text.size()] = types[next++];
            field.text += kRecipientPicture;
            atName = false;
        }
        field.text += c;
    }
    return field;
}

PlContactGroupCopy Group(const std::string& name, std::vector<PlContactRecord> members)
{
    PlContactGroupCopy group{name, true, {}};
    for (const PlContactRecord& member : members)
        group.members.push_back(PlContactItem{member, {}, false});
    return group;
}

}  // namespace

TEST(Recipients, SeparatorsEmptyNamesAndPictureTypes)
{
    const auto field = Field(U"alice; LABGROUP, bob,, carol", {1, 2, 1, 1});
    const std::vector<PlRecipient> recipients = PlReadRecipients(field, {});
    EXPECT_EQ(recipients,
              (std::vector<PlRecipient>{
                  {1, "alice", "alice"}, {2, "LABGROUP", "LABGROUP"}, {1, "bob", "bob"}, {1, "carol", "carol"}}));
    EXPECT_TRUE(PlReadRecipients(Field(U" ,; ,", {}), {}).empty());
}

TEST(Recipients, AGroupStandsForItsMembersEachWithItsType)
{
    const std::vector<PlContactGroupCopy> groups{
        Group("Team", {{1, "ALICE", "Alice", "Team", 1}, {2, "LABGROUP", "The lab", "Team", 1}}),
        Group("team", {{1, "NOT", "Not me", "team", 1}}),
    };
    const auto field = Field(U"Team, Missing, Ünïcode", {3, 3, 1});
    EXPECT_EQ(PlReadRecipients(field, groups),
              (std::vector<PlRecipient>{{1, "ALICE", "Alice"}, {2, "LABGROUP", "The lab"}, {1, "Ünïcode", "Ünïcode"}}));
}

TEST(SendRules, EachKindOfMessageHasItsLimit)
{
    const std::vector<PlRecipient> personal{{kRecipientPersonal, "A", "A"}};
    const std::vector<PlRecipient> both{{kRecipientPersonal, "A", "A"}, {kRecipientBroadcast, "W", "W"}};
    std::string text(1600, 'x');
    EXPECT_FALSE(PlTextTooLongFor(personal, text));
    EXPECT_TRUE(PlTextTooLongFor(both, text));  // 1600 is far beyond a broadcast's 128
    EXPECT_TRUE(PlTextTooLongFor(personal, text + "y"));
    EXPECT_EQ(PlTextToSend(text + "y"), text);
    std::string letters;
    for (int i = 0; i < 1601; ++i)
        letters += "ж";
    EXPECT_EQ(PlTextToSend(letters).size(), 1600u * 2);  // characters, not bytes
    EXPECT_FALSE(PlTextTooLongFor({{kRecipientBroadcast, "W", "W"}}, std::string(128, 'b')));
    EXPECT_TRUE(PlTextTooLongFor({{kRecipientBroadcast, "W", "W"}}, std::string(129, 'b')));
}
