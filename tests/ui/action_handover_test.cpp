// A second start hands its action to the running instance: the command line
// it understands, the line it sends, and the socket between them.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>

#include "../support/pl_temp_folder.h"
#include "../transport/test_wait.h"
#include "ui/app/pl_action_channel.h"
#include "ui/app/pl_command_line.h"

TEST(CommandLine, OneActionAndTheProgramsOwnOptions)
{
    const char* write[] = {"parlino", "--verbose", "--write"};
    const PlCommandLine line = PlParseCommandLine(3, write);
    EXPECT_TRUE(line.verbose);
    EXPECT_EQ(line.action, PlAction::Write);
    EXPECT_TRUE(line.error.empty());

    const char* two[] = {"parlino", "--write", "--exit"};
    EXPECT_FALSE(PlParseCommandLine(3, two).error.empty());
    const char* unknown[] = {"parlino", "--frobnicate"};
    EXPECT_FALSE(PlParseCommandLine(2, unknown).error.empty());
    const char* qt[] = {"parlino", "-platform", "offscreen", "--help"};
    EXPECT_TRUE(PlParseCommandLine(4, qt).help);
}

TEST(ActionLine, RoundTripsAndRefusesAnythingElse)
{
    for (PlAction action :
         {PlAction::Write, PlAction::Reply, PlAction::Archive, PlAction::Search, PlAction::Options, PlAction::Exit}) {
        const std::string line = PlEncodeAction(action);
        EXPECT_EQ(PlDecodeAction({line.data(), line.size()}), action);
    }
    const std::vector<std::string> bad{"",
                                       "parlino-action write",
                                       "parlino-action delete\n",
                                       "write\n",
                                       "parlino-action write\nparlino-action exit\n",
                                       std::string(100, 'x') + "\n"};
    for (const std::string& line : bad)
        EXPECT_FALSE(PlDecodeAction({line.data(), line.size()})) << line;
}

TEST(ActionChannel, TheRunningInstanceReceivesTheAction)
{
    PlTempFolder runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    PlActionChannel channel;
    std::vector<PlAction> received;
    ASSERT_TRUE(channel.Listen([&](PlAction action) { received.push_back(action); }));
    ASSERT_TRUE(PlActionChannel::Send(PlAction::Archive));
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return !received.empty();
    }));
    EXPECT_EQ(received, (std::vector<PlAction>{PlAction::Archive}));
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(ActionChannel, NobodyListening)
{
    PlTempFolder runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    EXPECT_FALSE(PlActionChannel::Send(PlAction::Write));
    ::unsetenv("XDG_RUNTIME_DIR");
}
