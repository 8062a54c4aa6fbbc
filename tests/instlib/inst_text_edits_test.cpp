// The text edits of the installer helper: the PATH line of etc/environment
// and the interfaces line of netbt.conf, each keeping the rest of its file.

#include "instlib/inst_netbt_file.h"
#include "instlib/inst_path_variable.h"

#include <gtest/gtest.h>

namespace pl::inst {
namespace {

std::string Added(std::string_view text, std::string_view directory)
{
    const PathEditResult result = AddToPathLine(text, directory);
    EXPECT_EQ(result.edit, PathEdit::Added) << text;
    return result.text;
}

TEST(PathLine, PutsTheFolderInFrontKeepingQuotesExportAndOtherLines)
{
    EXPECT_EQ(Added("# login environment\nLANG=C\nPATH=\"/usr/bin:/bin\"  # kept\nTZ=UTC", "/opt/p"),
              "# login environment\nLANG=C\nPATH=\"/opt/p:/usr/bin:/bin\"  # kept\nTZ=UTC");
    EXPECT_EQ(Added("PATH=/usr/bin:/bin\r\n", "/opt/p"), "PATH=/opt/p:/usr/bin:/bin\r\n");
    EXPECT_EQ(Added("  export PATH='/bin'\n", "/opt/p"), "  export PATH='/opt/p:/bin'\n");
    EXPECT_EQ(Added("PATH=\"\"\n", "/opt/p"), "PATH=\"/opt/p\"\n");
    // pam_env takes the last assignment, so that is the one extended.
    EXPECT_EQ(Added("PATH=/a\nPATH=/b\n", "/opt/p"), "PATH=/a\nPATH=/opt/p:/b\n");
}

TEST(PathLine, ComparesWholeEntriesCaseSensitively)
{
    for (const char* text : {"PATH=/opt/p:/bin", "PATH=\"/bin:/opt/p:/usr/bin\"", "PATH=/bin:/opt/p"})
        EXPECT_EQ(AddToPathLine(text, "/opt/p").edit, PathEdit::AlreadyPresent) << text;
    // A folder that is only part of another entry, or differs in case, is missing.
    EXPECT_EQ(Added("PATH=/usr/bin:/opt/px", "/bin"), "PATH=/bin:/usr/bin:/opt/px");
    EXPECT_EQ(Added("PATH=/Opt/P", "/opt/p"), "PATH=/opt/p:/Opt/P");
}

TEST(PathLine, RefusesWhatItCannotEditSafely)
{
    EXPECT_EQ(AddToPathLine("", "/opt/p").edit, PathEdit::NoPathLine);
    EXPECT_EQ(AddToPathLine("# PATH=/bin\nMYPATH=/bin\nLANG=C\n", "/opt/p").edit, PathEdit::NoPathLine);
    // The line pam_env would take has an unclosed quote: no guessing, no earlier line.
    EXPECT_EQ(AddToPathLine("PATH=/bin\nPATH=\"/usr/bin\n", "/opt/p").edit, PathEdit::NoPathLine);
    EXPECT_TRUE(IsPathEntry("/opt/Parlino Messenger"));
    for (const char* bad : {"", "/a:/b", "/a\nLD_PRELOAD=/x", "/a\"", "/a'"})
        EXPECT_FALSE(IsPathEntry(bad)) << bad;
}

TEST(NetbtInterfaces, AddsTheNameKeepingCommentsAndOtherKeys)
{
    const std::string text =
        "# provider\n[netbt]\nworkgroup = LAB\ninterfaces = lan0, 127.0.0.2   # the lab\r\nsession_port = 139\n";
    EXPECT_EQ(AddNetbtInterface(text, "eth1", {}),
              "# provider\n[netbt]\nworkgroup = LAB\ninterfaces = lan0, 127.0.0.2, eth1   # the lab\r\n"
              "session_port = 139\n");
    EXPECT_EQ(AddNetbtInterface("[netbt]\ninterfaces =\n", "eth1", {}), "[netbt]\ninterfaces = eth1\n");
}

TEST(NetbtInterfaces, AddsTheKeyOrTheSectionWhenMissing)
{
    EXPECT_EQ(AddNetbtInterface("; site\n[netbt] # main\nworkgroup = LAB", "eth1", {}),
              "; site\n[netbt] # main\ninterfaces = eth1\nworkgroup = LAB");
    EXPECT_EQ(AddNetbtInterface("[netbt]", "eth1", {}), "[netbt]\ninterfaces = eth1\n");
    EXPECT_EQ(AddNetbtInterface("# only a comment", "eth1", {}), "# only a comment\n[netbt]\ninterfaces = eth1\n");
    EXPECT_EQ(AddNetbtInterface("", "eth1", {}), "[netbt]\ninterfaces = eth1\n");
}

TEST(NetbtInterfaces, LeavesTheFileWhenTheInterfaceIsListedByNameOrAddress)
{
    EXPECT_EQ(AddNetbtInterface("[netbt]\ninterfaces = lan0, eth1 # x\n", "eth1", {}), std::nullopt);
    EXPECT_EQ(AddNetbtInterface("[netbt]\ninterfaces = 169.254.1.7\n", "eth1", {0xA9FE0101, 0xA9FE0107}), std::nullopt);
    // A commented-out listing does not count, the later line wins.
    EXPECT_EQ(AddNetbtInterface("[netbt]\ninterfaces = eth1\ninterfaces = lan0 # eth1\n", "eth1", {}),
              "[netbt]\ninterfaces = eth1\ninterfaces = lan0, eth1 # eth1\n");
    EXPECT_TRUE(IsListableInterfaceName("enp0s31f6"));
    for (const char* bad : {"", "a,b", "a#b", "a;b", "a b"})
        EXPECT_FALSE(IsListableInterfaceName(bad)) << bad;
}

}  // namespace
}  // namespace pl::inst
