#include "platform/autostart_entry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/normal_user.h"
#include "support/scoped_environment.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryFolder;

std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string execLineOf(const std::string& entry) {
    const auto start = entry.find("\nExec=");
    if (start == std::string::npos) return {};
    return entry.substr(start + 6, entry.find('\n', start + 1) - start - 6);
}

TEST(AutostartEntry, LivesInTheUsersAutostartFolder) {
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(autostartEntryPath(),
                  std::filesystem::path("/srv/config/autostart/org.tq260.vantor.desktop"));
    }
    ScopedEnvironment config("XDG_CONFIG_HOME", "");
    ScopedEnvironment home("HOME", "/home/player");
    EXPECT_EQ(autostartEntryPath(),
              std::filesystem::path("/home/player/.config/autostart/org.tq260.vantor.desktop"));
    ScopedEnvironment noHome("HOME", "");
    EXPECT_TRUE(autostartEntryPath().empty());
}

// The program's file name has spaces; whatever else a folder's name holds must reach the
// desktop as it is, neither split nor taken for a field code or a variable.
TEST(AutostartEntry, StartsTheProgramHiddenWithItsPathQuotedAsTheDesktopReadsIt) {
    struct Case {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/lib/tq260/TQ260 104vez VANTOR", R"("/usr/lib/tq260/TQ260 104vez VANTOR" --hidden)"},
        {"/home/a \"b\"/run", R"("/home/a \\"b\\"/run" --hidden)"},
        {"/home/$HOME/`x`", R"("/home/\\$HOME/\\`x\\`" --hidden)"},
        {"/home/back\\slash", R"("/home/back\\\\slash" --hidden)"},
        {"/home/100%/%f", R"("/home/100%%/%%f" --hidden)"},
        {"/home/玩家/键盘", R"("/home/玩家/键盘" --hidden)"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> entry = autostartEntryText(c.program);
        ASSERT_TRUE(entry) << c.program;
        EXPECT_EQ(execLineOf(*entry), c.exec) << c.program;
        EXPECT_EQ(entry->rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
        EXPECT_NE(entry->find("\nIcon=org.tq260.vantor\n"), std::string::npos);
    }
    // The desktop skips the entry once the program is gone.
    EXPECT_NE(
        autostartEntryText("/opt/back\\slash run")->find("\nTryExec=/opt/back\\\\slash run\n"),
        std::string::npos);
    EXPECT_FALSE(autostartEntryText("/home/two\nlines"));
    EXPECT_FALSE(autostartEntryText(""));
}

TEST(AutostartEntry, TurningItOnWritesTheEntryAndOffRemovesIt) {
    TemporaryFolder config;
    const std::filesystem::path entry = config / "autostart/org.tq260.vantor.desktop";
    EXPECT_FALSE(startsWithDesktop(entry));
    ASSERT_TRUE(setStartWithDesktop(entry, "/opt/tq260/TQ260 104vez VANTOR", true));
    EXPECT_TRUE(startsWithDesktop(entry));
    EXPECT_EQ(contentOf(entry), *autostartEntryText("/opt/tq260/TQ260 104vez VANTOR"));
    // On again replaces it with the program as it is now.
    ASSERT_TRUE(setStartWithDesktop(entry, "/usr/lib/tq260/TQ260 104vez VANTOR", true));
    EXPECT_EQ(execLineOf(contentOf(entry)), R"("/usr/lib/tq260/TQ260 104vez VANTOR" --hidden)");
    ASSERT_TRUE(setStartWithDesktop(entry, {}, false));
    EXPECT_FALSE(startsWithDesktop(entry));
    EXPECT_TRUE(setStartWithDesktop(entry, {}, false));  // already off
    EXPECT_FALSE(setStartWithDesktop({}, "/opt/x", true));
}

TEST(AutostartEntry, AFolderThatCannotBeWrittenIsAFailureAsANormalUser) {
    if (!testing::permissionsStopThisProcess())
        GTEST_SKIP() << "root writes into read-only folders";
    TemporaryFolder config;
    std::filesystem::permissions(
        config.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::filesystem::path entry = config / "autostart/org.tq260.vantor.desktop";
    EXPECT_FALSE(setStartWithDesktop(entry, "/opt/x", true));
    EXPECT_FALSE(startsWithDesktop(entry));
    std::filesystem::permissions(config.path(), std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace tq260
