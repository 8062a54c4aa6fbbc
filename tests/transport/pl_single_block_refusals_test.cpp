#include "transport/messaging/pl_single_block_refusals.h"

#include "../support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

namespace {

long long SecondsAgo(std::chrono::seconds ago)
{
    return std::chrono::duration_cast<std::chrono::seconds>((std::chrono::system_clock::now() - ago).time_since_epoch())
        .count();
}

std::string Line(const std::string& name, long long seconds)
{
    return name + "\t" + std::to_string(seconds) + "\n";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What one process learnt, the next one knows; a process that adds a peer
// keeps the others' refusals, also those written after it read the file (a
// long-running messenger beside one-shot senders).
TEST(SingleBlockRefusals, AFileCarriesThemBetweenProcesses)
{
    PlTempFolder folder;
    const std::string file = folder.Path("cache/parlino/single-block-refusals");
    PlSingleBlockRefusals messenger;
    messenger.KeepIn(file);
    EXPECT_FALSE(messenger.Refuses("SAMBAPEER"));
    messenger.Remember("SAMBAPEER");
    {
        PlSingleBlockRefusals sender;
        sender.KeepIn(file);
        EXPECT_TRUE(sender.Refuses("SAMBAPEER"));
        EXPECT_FALSE(sender.Refuses("WINPEER"));
        sender.Remember("FILESERVER");
    }
    messenger.Remember("NASBOX");
    PlSingleBlockRefusals next;
    next.KeepIn(file);
    EXPECT_TRUE(next.Refuses("SAMBAPEER"));
    EXPECT_TRUE(next.Refuses("FILESERVER"));
    EXPECT_TRUE(next.Refuses("NASBOX"));
}

// A refusal is kept for 30 days; a line that does not read as a name and a
// time, a time in the future and a name with a control character are left
// out, and none of them comes back when the file is written again.
TEST(SingleBlockRefusals, OldAndUnreadableLinesAreLeftOut)
{
    PlTempFolder folder;
    using std::chrono::hours;
    folder.WriteFile("refusals", Line("RECENT", SecondsAgo(hours(24))) + Line("OLD", SecondsAgo(hours(24 * 31))) +
                                     Line("FUTURE", SecondsAgo(-hours(48))) + "NOTAB 12\n" + "BADTIME\t12x\n" + "\t" +
                                     std::to_string(SecondsAgo(hours(1))) + "\n" +
                                     Line("CTRL\x01NAME", SecondsAgo(hours(1))) + "HALF\t");
    PlSingleBlockRefusals refusals;
    refusals.KeepIn(folder.Path("refusals"));
    EXPECT_TRUE(refusals.Refuses("RECENT"));
    for (const char* left : {"OLD", "FUTURE", "NOTAB", "BADTIME", "", "CTRL\x01NAME", "HALF"})
        EXPECT_FALSE(refusals.Refuses(left)) << left;
    refusals.Remember("NEW");
    const std::string written = ReadAll(folder.Path("refusals"));
    EXPECT_NE(written.find("RECENT\t"), std::string::npos);
    EXPECT_NE(written.find("NEW\t"), std::string::npos);
    EXPECT_EQ(written.find("OLD"), std::string::npos);
    EXPECT_EQ(written.find("CTRL"), std::string::npos);
}

// The list is bounded: beyond 256 peers the one that refused longest ago
// gives way. A name that cannot be stored is remembered in memory only.
TEST(SingleBlockRefusals, TheOldestGiveWayAndUnstorableNamesStayInMemory)
{
    PlTempFolder folder;
    std::string lines;
    for (std::size_t i = 0; i < PlSingleBlockRefusals::kMaxPeers; ++i)
        lines += Line("PEER" + std::to_string(i), SecondsAgo(std::chrono::minutes(1000 - static_cast<int>(i))));
    folder.WriteFile("refusals", lines);
    PlSingleBlockRefusals refusals;
    refusals.KeepIn(folder.Path("refusals"));
    EXPECT_TRUE(refusals.Refuses("PEER0"));
    refusals.Remember("NEWEST");
    EXPECT_FALSE(refusals.Refuses("PEER0")) << "the oldest gave way";
    EXPECT_TRUE(refusals.Refuses("PEER1"));
    EXPECT_TRUE(refusals.Refuses("NEWEST"));
    refusals.Remember("LINE\nBREAK");
    EXPECT_TRUE(refusals.Refuses("LINE\nBREAK"));
    PlSingleBlockRefusals next;
    next.KeepIn(folder.Path("refusals"));
    EXPECT_TRUE(next.Refuses("NEWEST"));
    EXPECT_FALSE(next.Refuses("LINE\nBREAK"));
    EXPECT_FALSE(next.Refuses("BREAK"));
}

// A file that cannot be written (its folder is a regular file) costs only
// the keeping: the refusal is remembered all the same.
TEST(SingleBlockRefusals, AnUnwritableFileLeavesTheRefusalInMemory)
{
    PlTempFolder folder;
    folder.WriteFile("plain", "not a folder");
    PlSingleBlockRefusals refusals;
    refusals.KeepIn(folder.Path("plain/refusals"));
    refusals.Remember("SAMBAPEER");
    EXPECT_TRUE(refusals.Refuses("SAMBAPEER"));
}

}  // namespace
