// Where the data files go: beside the program when it may write there, else in the user's
// own data folder.
#include "platform/data_folder.h"

#include <gtest/gtest.h>
#ifdef __unix__
#include <sys/stat.h>
#endif

#include <cstdlib>
#include <optional>
#include <string>

#include "support/normal_user.h"
#include "support/scoped_environment.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;

TEST(DataFolder, AWritableProgramFolderKeepsTheData) {
    TemporaryFolder program;
    EXPECT_EQ(dataFolderFor(program.path()), program.path());
}

// The executable's own folder, however the executable is named: here, the tests' program.
TEST(DataFolder, TheExecutablesFolderIsFoundFromTheRunningProgram) {
    const std::filesystem::path folder = executableFolder();
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        found = found || entry.path().stem() == "tq260_core_tests";
    }
    EXPECT_TRUE(found) << folder.string();
}

#ifdef _WIN32
TEST(DataFolder, TheUsersFolderIsInAppData) {
    ScopedEnvironment appData("APPDATA", "C:\\Users\\player\\AppData\\Roaming");
    EXPECT_EQ(perUserDataFolder(),
              std::filesystem::path("C:\\Users\\player\\AppData\\Roaming") / "TQ260");
    EXPECT_FALSE(isSystemInstall("C:\\Program Files\\TQ260"));
}
#else
TEST(DataFolder, TheSystemsProgramTreeNeverKeepsDataEvenWhereItIsWritable) {
    TemporaryFolder user;
    ScopedEnvironment xdg("XDG_DATA_HOME", user.path().string());
    // Root may write under /usr; the data still goes to the user's folder.
    EXPECT_EQ(dataFolderFor("/usr/lib/"), user.path() / "TQ260");
    EXPECT_TRUE(isSystemInstall("/usr/lib/tq260"));
    EXPECT_TRUE(isSystemInstall("/opt/../usr/lib/tq260"));
    EXPECT_FALSE(isSystemInstall("/usr2/tq260"));
    EXPECT_FALSE(isSystemInstall("/home/player/usr/tq260"));
    EXPECT_FALSE(isSystemInstall("/opt/tq260"));
}

TEST(DataFolder, TheUsersFolderFollowsXdgDataHomeThenHome) {
    {
        ScopedEnvironment xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(perUserDataFolder(), std::filesystem::path("/srv/data/TQ260"));
    }
    ScopedEnvironment xdg("XDG_DATA_HOME", "");
    ScopedEnvironment home("HOME", "/home/player");
    EXPECT_EQ(perUserDataFolder(), std::filesystem::path("/home/player/.local/share/TQ260"));
}

#endif

#ifdef __unix__
// Each folder made is private to this user, whatever the umask lets through; one that was
// there keeps the mode it has.
TEST(DataFolder, NewFoldersArePrivateAndOldOnesKeepTheirModeAsANormalUser) {
    using std::filesystem::perms;
    const mode_t umask = ::umask(022);
    TemporaryFolder user;
    std::filesystem::permissions(user.path(), perms::owner_all | perms::group_read |
                                                  perms::group_exec | perms::others_read |
                                                  perms::others_exec);
    const auto before = std::filesystem::status(user.path()).permissions();
    ASSERT_TRUE(makePrivateFolders(user / "share/TQ260/Configure"));
    EXPECT_TRUE(makePrivateFolders(user / "share/TQ260/Configure"));
    EXPECT_EQ(std::filesystem::status(user.path()).permissions(), before);
    for (const char* made : {"share", "share/TQ260", "share/TQ260/Configure"}) {
        EXPECT_EQ(std::filesystem::status(user / made).permissions(), perms::owner_all) << made;
    }
    testing::writeRawFile(user / "file", {});
    EXPECT_FALSE(makePrivateFolders(user / "file/Configure"));
    ::umask(umask);
}
#endif

// Root may write into any folder, so this proves something only as a normal user; the test
// script runs it again as one.
TEST(DataFolder, AReadOnlyInstallKeepsTheDataInTheUsersFolderAsANormalUser) {
    if (!testing::permissionsStopThisProcess())
        GTEST_SKIP() << "root writes into read-only folders";
    TemporaryFolder program;
    TemporaryFolder user;
    std::filesystem::permissions(
        program.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ScopedEnvironment xdg("XDG_DATA_HOME", user.path().string());
    const std::filesystem::path data = dataFolderFor(program.path());
    EXPECT_EQ(data, user.path() / "TQ260");
    EXPECT_TRUE(std::filesystem::is_directory(data));
    EXPECT_EQ(std::filesystem::status(data).permissions(), std::filesystem::perms::owner_all);
    std::filesystem::permissions(program.path(), std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace tq260
