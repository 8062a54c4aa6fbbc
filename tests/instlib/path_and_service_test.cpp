// AddPathVar and DisableMsgSrvc through the library's exports, on a
// temporary system root; the live service sequence runs against a stand-in
// systemctl that alone is on PATH.

#include "instlib/plinstlib.h"
#include "instlib_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

struct stat Stat(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

TEST(AddPathVar, PutsTheFolderOnThePathOnceKeepingTheFileMode)
{
    TestSystemRoot root;
    root.Folder().WriteFile("etc/environment", "# set at login\nPATH=\"/usr/bin:/bin\"\nLANG=C.UTF-8\n");
    const std::string file = root.Folder().Path("etc/environment");
    ::chmod(file.c_str(), 0640);

    EXPECT_EQ(AddPathVar("/opt/parlino"), PLINST_SUCCESS);
    EXPECT_EQ(root.Folder().ReadFile("etc/environment"),
              "# set at login\nPATH=\"/opt/parlino:/usr/bin:/bin\"\nLANG=C.UTF-8\n");
    EXPECT_EQ(Stat(file).st_mode & 07777, 0640u);

    // Already there: the file is not even rewritten.
    const ino_t inode = Stat(file).st_ino;
    EXPECT_EQ(AddPathVar("/opt/parlino"), PLINST_SUCCESS);
    EXPECT_EQ(AddPathVar("/bin"), PLINST_SUCCESS);
    EXPECT_EQ(Stat(file).st_ino, inode);
}

TEST(AddPathVar, FailsWithoutAPathValueOrWithAnUnsafeFolder)
{
    TestSystemRoot root;
    EXPECT_EQ(AddPathVar("/opt/parlino"), PLINST_FAILED);  // no etc/environment
    root.Folder().WriteFile("etc/environment", "LANG=C\n");
    EXPECT_EQ(AddPathVar("/opt/parlino"), PLINST_FAILED);  // no PATH line
    root.Folder().WriteFile("etc/environment", "PATH=/bin\n");
    EXPECT_EQ(AddPathVar(nullptr), PLINST_FAILED);
    EXPECT_EQ(AddPathVar("/opt/a\nLD_PRELOAD=/tmp/x.so"), PLINST_FAILED);
    EXPECT_EQ(AddPathVar("/opt/a:/tmp"), PLINST_FAILED);
    EXPECT_EQ(root.Folder().ReadFile("etc/environment"), "PATH=/bin\n");
}

// With a system root the unit files of that root are changed offline by the
// real systemctl; systemd need not run.
TEST(DisableMsgSrvc, DisablesTheUnitOfASystemRoot)
{
    if (RunShell("command -v systemctl").status != 0)
        GTEST_SKIP() << "systemctl is not installed";
    TestSystemRoot root;
    EXPECT_EQ(DisableMsgSrvc(), PLINST_NOT_PRESENT);

    root.Folder().WriteFile("lib/systemd/system/nmbd.service",
                            "[Service]\nExecStart=/bin/true\n[Install]\nWantedBy=multi-user.target\n");
    const std::string link = root.Folder().Path("etc/systemd/system/multi-user.target.wants/nmbd.service");
    std::filesystem::create_directories(std::filesystem::path(link).parent_path());
    std::filesystem::create_symlink("/lib/systemd/system/nmbd.service", link);

    EXPECT_EQ(DisableMsgSrvc(), PLINST_SUCCESS);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(DisableMsgSrvc(), PLINST_SUCCESS);  // already disabled
}

// The live sequence (system root "/"): a stand-in systemctl logs its calls.
class LiveServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::unsetenv("PARLINO_SYSTEM_ROOT");
        folder_.WriteFile("bin/systemctl",
                          "#!/bin/sh\n"
                          "echo \"$*\" >> \"$FAKE_LOG\"\n"
                          "case \"$FAKE_MODE:$*\" in\n"
                          "  no-systemd:*show*) echo \"System has not been booted with systemd\" >&2; exit 1 ;;\n"
                          "  no-unit:*is-enabled*) echo \"Failed to get unit file state for nmbd.service: No "
                          "such file or directory\" >&2; exit 1 ;;\n"
                          "  denied:*disable*) echo \"Failed to disable unit: Access denied\" >&2; exit 1 ;;\n"
                          "  stop-fails:*stop*) echo \"Job failed\" >&2; exit 1 ;;\n"
                          "  *is-enabled*) echo disabled; exit 1 ;;\n"
                          "esac\n");
        const std::string fake = folder_.Path("bin/systemctl");
        ASSERT_EQ(::chmod(fake.c_str(), 0755), 0);
        // Only the stand-in can be found, whichever way the library looks.
        savedPath_ = std::getenv("PATH");
        ::setenv("PATH", folder_.Path("bin").c_str(), 1);
        ::setenv("PARLINO_SYSTEMCTL", fake.c_str(), 1);
        ::setenv("FAKE_LOG", folder_.Path("log").c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", savedPath_.c_str(), 1);
        for (const char* name : {"PARLINO_SYSTEMCTL", "FAKE_LOG", "FAKE_MODE"})
            ::unsetenv(name);
    }

    int Run(const char* mode)
    {
        ::setenv("FAKE_MODE", mode, 1);
        std::filesystem::remove(folder_.Path("log"));
        return DisableMsgSrvc();
    }
    std::string Log() const { return folder_.ReadFile("log"); }

private:
    PlTempFolder folder_;
    std::string savedPath_;
};

TEST_F(LiveServiceTest, DisablesThenStopsWithoutWaiting)
{
    EXPECT_EQ(Run("ok"), PLINST_SUCCESS);
    EXPECT_EQ(Log(),
              "--no-pager show --property=Version --value\n--no-pager is-enabled nmbd.service\n"
              "--no-pager disable nmbd.service\n--no-pager stop --no-block nmbd.service\n");
}

TEST_F(LiveServiceTest, StopsAtTheFirstFailingStepWithItsCause)
{
    EXPECT_EQ(Run("no-systemd"), PLINST_NOT_PRESENT);
    EXPECT_EQ(Log(), "--no-pager show --property=Version --value\n");
    EXPECT_EQ(Run("no-unit"), PLINST_NOT_PRESENT);
    EXPECT_EQ(Log().find("disable"), std::string::npos);
    EXPECT_EQ(Run("denied"), PLINST_ACCESS_DENIED);
    EXPECT_EQ(Log().find("stop"), std::string::npos);
    EXPECT_EQ(Run("stop-fails"), PLINST_FAILED);
    ::setenv("PARLINO_SYSTEMCTL", "/nonexistent/systemctl", 1);
    EXPECT_EQ(Run("ok"), PLINST_NOT_PRESENT);
}

}  // namespace
