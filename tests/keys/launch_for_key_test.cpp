#include "keys/launch_for_key.h"

#include <gmock/gmock.h>

#include "keys/instance_request.h"
#include "support/recording_shell.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::RecordingShell;

class LaunchForKey : public ::testing::Test {
  protected:
    void launchRecord(std::size_t index, std::uint8_t identity, AssignmentType type,
                      std::u16string_view path) {
        KeyAssignment& record = (*table)[index];
        record.identity = identity;
        record.type = static_cast<std::uint8_t>(type);
        std::copy(path.begin(), path.end(), record.launchPath.begin());
    }

    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    RecordingShell shell;
};

TEST_F(LaunchForKey, SplitsThePathAtItsLastSeparator) {
    launchRecord(1, 0x70, AssignmentType::LaunchMp3, u"C:\\dir\\a.mp3");
    launchRecord(2, 0x71, AssignmentType::OpenFolder, u"C:\\dir");
    launchRecord(3, 0x72, AssignmentType::LaunchTxt, u"/home/user/notes.txt");
    launchForKey(*table, 0x70, shell);
    launchForKey(*table, 0x71, shell);
    launchForKey(*table, 0x72, shell);
    EXPECT_THAT(shell.opened,
                ElementsAre(LaunchTarget{u"C:\\dir", u"a.mp3"}, LaunchTarget{u"C:", u"dir"},
                            LaunchTarget{u"/home/user", u"notes.txt"}));
}

TEST_F(LaunchForKey, FirstLaunchRecordOfTheKeyWinsAndOnlyTheLowByteCounts) {
    (*table)[0].identity = 0x70;  // same key, not a launch
    (*table)[0].type = 0;
    launchRecord(5, 0x70, AssignmentType::LaunchExe, u"C:\\x\\first.exe");
    launchRecord(200, 0x70, AssignmentType::LaunchExe, u"C:\\x\\second.exe");
    launchForKey(*table, 0x170, shell);
    EXPECT_THAT(shell.opened, ElementsAre(LaunchTarget{u"C:\\x", u"first.exe"}));
}

TEST_F(LaunchForKey, NothingStartsWithoutARecordOrAFileName) {
    launchRecord(1, 0x70, AssignmentType::LaunchExe, u"nofolder.exe");
    launchRecord(2, 0x71, AssignmentType::LaunchExe, u"C:\\dir\\");
    launchForKey(*table, 0x70, shell);
    launchForKey(*table, 0x71, shell);
    launchForKey(*table, 0x72, shell);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(LaunchForKey, TellsWhatCameOfItWithThePath) {
    launchRecord(1, 0x70, AssignmentType::LaunchExe, u"/opt/x/run.exe");
    EXPECT_EQ(launchForKey(*table, 0x71, shell).kind, LaunchOutcome::NothingAssigned);
    LaunchOutcome outcome = launchForKey(*table, 0x70, shell);
    EXPECT_EQ(outcome.kind, LaunchOutcome::Opened);
    EXPECT_EQ(outcome.path, u"/opt/x/run.exe");
    shell.result = ShellLauncher::Result::NotFound;
    outcome = launchForKey(*table, 0x70, shell);
    EXPECT_EQ(outcome.kind, LaunchOutcome::NotFound);
    EXPECT_EQ(outcome.path, u"/opt/x/run.exe");
    shell.result = ShellLauncher::Result::Failed;
    EXPECT_EQ(launchForKey(*table, 0x70, shell).kind, LaunchOutcome::Failed);
}

TEST_F(LaunchForKey, UnterminatedPathIsReadOnlyToItsEnd) {
    launchRecord(1, 0x70, AssignmentType::LaunchExe, u"");
    (*table)[1].launchPath.fill(u'a');
    (*table)[1].launchPath[10] = u'\\';
    const auto target = launchTargetForKey(*table, 0x70);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->folder.size(), 10U);
    EXPECT_EQ(target->file.size(), 256U - 11U);
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

TEST(VirtualKeyCodes, OnlyDecimal0To255IsAKeyCode) {
    EXPECT_EQ(parseVirtualKeyCode("0"), std::uint8_t{0});
    EXPECT_EQ(parseVirtualKeyCode("65"), std::uint8_t{65});
    EXPECT_EQ(parseVirtualKeyCode("255"), std::uint8_t{255});
    EXPECT_EQ(parseVirtualKeyCode("007"), std::uint8_t{7});
    // 321 and 65601 are 65 modulo 256: they must not launch A's file.
    for (const char* bad :
         {"256", "321", "65601", "-1", "abc", "", "65abc", " 65", "0x41", "+65"}) {
        EXPECT_EQ(parseVirtualKeyCode(bad), std::nullopt) << bad;
    }
}

TEST(InstanceMessages, RequestsTravelAsTextAndAnythingElseIsNothing) {
    const InstanceRequest launch{InstanceRequest::Kind::LaunchKey, 112};
    EXPECT_EQ(instanceMessage(launch), "launch-key 112");
    EXPECT_EQ(instanceMessage(InstanceRequest{}), "show");
    EXPECT_EQ(parseInstanceMessage("launch-key 112"), launch);
    EXPECT_EQ(parseInstanceMessage("show"), InstanceRequest{});
    for (const char* other : {"launch-key 368", "launch-key -144", "launch-key 112x", "launch-key",
                              "launch-key  112", "Show", "show ", "", "quit"}) {
        EXPECT_EQ(parseInstanceMessage(other), std::nullopt) << other;
    }
}

}  // namespace
}  // namespace tq260
