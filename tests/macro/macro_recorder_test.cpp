// Recording from the key hook: bytes, lines and delays on virtual time.
#include "tests/macro/macro_editor_fixture.h"

namespace tq260::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using MacroRecording = MacroEditorTest;

TEST_F(MacroRecording, WithoutDelaysEveryEventIsShortAndShowsOnlyItsKeyLine) {
    editor.newMacro();
    ASSERT_TRUE(editor.toggleRecording());
    type('A');
    waitMs(300);
    type('B');
    EXPECT_THAT(head(selected().deviceEvents, 9),
                ElementsAre(0x01, 0x04, 0x81, 0x04, 0x01, 0x05, 0x81, 0x05, 0x00));
    EXPECT_THAT(head(selected().keyEvents, 9),
                ElementsAre(0x01, 0x41, 0x81, 0x41, 0x01, 0x42, 0x81, 0x42, 0x00));
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"A  up", u"B  dn", u"B  up"));
    EXPECT_EQ(editor.selectedEventLine(), 3);
    EXPECT_EQ(selected().recordDelay, 0);
    EXPECT_EQ(selected().nameText(), u"Macro_001");
}

TEST_F(MacroRecording, WithDelaysTheMeasuredGapsAreStoredAndShown) {
    editor.newMacro();
    editor.toggleRecordDelay();
    editor.toggleRecording();
    waitMs(40);
    press('A');  // the first event never waits
    waitMs(80);
    release('A');
    waitMs(3 * 60 * 1000);
    press('B');
    clock.blockUs(1'999);  // 1.999 ms: whole milliseconds, cut down
    release('B');
    clock.blockUs(400);  // under 1 ms: nothing to wait
    press('C');
    waitMs(126);
    release('C');
    waitMs(127);
    press('D');
    EXPECT_THAT(head(selected().keyEvents, 21),
                ElementsAre(0x01, 0x41, 0xD0, 0x41, 0x7F, 0x42, 0xEA, 0x60, 0x81, 0x42, 0x01, 0x43,
                            0xFE, 0x43, 0x7F, 0x44, 0x00, 0x7F, 0x00, 0x00, 0x00));
    EXPECT_THAT(head(selected().deviceEvents, 18),
                ElementsAre(0x01, 0x04, 0xD0, 0x04, 0x7F, 0x05, 0xEA, 0x60, 0x81, 0x05, 0x01, 0x06,
                            0xFE, 0x06, 0x7F, 0x07, 0x00, 0x7F));
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"80 ms", u"A  up", u"60000 ms", u"B  dn", u"B  up",
                                     u"C  dn", u"126 ms", u"C  up", u"127 ms", u"D  dn"));
    EXPECT_EQ(selected().recordDelay, 1);
    // What the list shows is what the record reads back as.
    EXPECT_EQ(macroEventLines(selected(), names), lines());
}

TEST_F(MacroRecording, AHeldKeyIsRecordedOnceAndItsReleaseStillCounts) {
    editor.newMacro();
    editor.toggleRecordDelay();
    editor.toggleRecording();
    press('A');
    for (int i = 0; i < 10; ++i) {
        waitMs(33);
        press('A');  // auto-repeat
    }
    waitMs(20);
    release('A');
    // Repeats measure nothing: the release waited from the press.
    EXPECT_THAT(head(selected().keyEvents, 7),
                ElementsAre(0x01, 0x41, 0xFF, 0x41, 0x01, 0x5E, 0x00));
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"350 ms", u"A  up"));
    // The same key again, after its release, is a new press.
    press('A');
    EXPECT_EQ(lines().back(), u"A  dn");
}

// A full macro ends on whole presses: a press that does not fit goes with its release.
TEST_F(MacroRecording, PressesStopAt118BytesAndARefusedPressTakesItsReleaseAlong) {
    editor.newMacro();
    editor.toggleRecording();
    for (int i = 0; i < 29; ++i) type(static_cast<std::uint8_t>('A' + i % 26));  // 116 bytes
    EXPECT_EQ(editor.state().eventLength, 116U);
    press('1');  // 116: taken
    press('2');  // 118: refused
    release('1');
    release('2');  // its press was refused
    type('3');
    EXPECT_EQ(editor.state().eventLength, 120U);
    EXPECT_EQ(eventStringEnd(selected().deviceEvents), 120U);
    EXPECT_TRUE(editor.state().full);
    const auto shown = lines();
    EXPECT_THAT(std::vector<std::u16string>(shown.end() - 3, shown.end()),
                ElementsAre(u"C  up", u"1  dn", u"1  up"));
}

// Room is kept for the release of every key held: the releases that come all fit.
TEST_F(MacroRecording, HeldKeysKeepRoomForTheirReleases) {
    editor.newMacro();
    editor.toggleRecordDelay();
    editor.toggleRecording();
    for (int i = 0; i < 27; ++i) type(static_cast<std::uint8_t>('A' + i % 26));  // 108 bytes
    press('1');  // 108 + 2, with 4 kept for its release
    press('2');  // 110 + 2, 8 kept
    press('3');  // 112 + 2 + 12 would pass 125: refused
    for (const std::uint8_t key : {'2', '3', '1'}) {
        waitMs(200);  // long delays: 4 bytes each
        release(key);
    }
    EXPECT_EQ(editor.state().eventLength, 120U);
    const auto shown = lines();
    EXPECT_THAT(std::vector<std::u16string>(shown.end() - 6, shown.end()),
                ElementsAre(u"1  dn", u"2  dn", u"200 ms", u"2  up", u"200 ms", u"1  up"));
    EXPECT_LE(eventStringEnd(selected().deviceEvents), MacroEditor::kRecordedBytes);
}

TEST_F(MacroRecording, KeysTheKeyboardCannotPlayAreLeftOut) {
    editor.newMacro();
    editor.toggleRecording();
    type(0x10);  // no keyboard code: its zero byte would end the string
    type('A');
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"A  up"));
    EXPECT_THAT(head(selected().deviceEvents, 4), ElementsAre(0x01, 0x04, 0x81, 0x04));
}

TEST_F(MacroRecording, TheHookFollowsTheRecordButtonAndEveryWayOut) {
    EXPECT_FALSE(editor.toggleRecording());  // no macro selected
    EXPECT_TRUE(hook.modes.empty());
    editor.newMacro();
    editor.toggleRecording();
    EXPECT_THAT(hook.modes, ElementsAre(KeyHook::MacroRecording));
    EXPECT_TRUE(editor.state().recording);
    editor.toggleRecording();
    EXPECT_FALSE(hook.installed);
    EXPECT_EQ(hook.removals, 1);

    const auto wayOut = [&](auto&& leave) {
        editor.toggleRecording();
        ASSERT_TRUE(hook.installed);
        leave();
        EXPECT_FALSE(hook.installed);
        EXPECT_FALSE(editor.state().hookInstalled);
    };
    wayOut([&] { editor.stopForListEdit(); });
    EXPECT_FALSE(editor.state().recording);
    wayOut([&] { editor.newMacro(); });
    wayOut([&] { editor.confirm(); });
    editor.toggleRecording();  // the button still said "Stop" after OK
    wayOut([&] { editor.close(); });
    editor.toggleRecording();
    wayOut([&] { editor.deleteSelected(); });
    EXPECT_FALSE(editor.state().recording);

    const int removals = hook.removals;
    { MacroEditor unused(names, hook, clock); }  // never installed it: never removes it
    EXPECT_EQ(hook.removals, removals);
    {
        MacroEditor other(names, hook, clock);
        other.open(*table, WindowHandle{8});
        other.toggleRecording();
        ASSERT_TRUE(hook.installed);
    }
    EXPECT_FALSE(hook.installed);
}

TEST_F(MacroRecording, AHookThatCannotBeSetRecordsNothing) {
    editor.newMacro();
    hook.refuse = true;
    editor.toggleRecording();
    EXPECT_TRUE(editor.state().recording);
    EXPECT_FALSE(editor.state().hookInstalled);
    editor.hookKey('A', false);  // a stray report
    EXPECT_TRUE(lines().empty());
}

TEST_F(MacroRecording, StartingAgainClearsTheMacroButKeepsItsNameAndLoops) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41}, 5);
    reopen();
    editor.toggleRecording();
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(selected().keyEvents[1], 0);
    EXPECT_EQ(selected().nameText(), u"Combo");
    EXPECT_EQ(selected().loopCount, 5);
}

TEST_F(MacroRecording, AnArmedInsertionTakesEachPressAndEndsWithTheRelease) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    reopen();
    editor.selectEventLine(1);
    ASSERT_TRUE(editor.insertBefore());
    EXPECT_THAT(hook.modes, ElementsAre(KeyHook::MacroRecording));
    press('B');
    press('B');  // each repeat goes in as a press of its own
    release('B');
    EXPECT_FALSE(hook.installed);
    EXPECT_FALSE(editor.state().insertMode);
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"B  dn", u"B  dn", u"B  up", u"A  up"));
    EXPECT_THAT(head(selected().deviceEvents, 11),
                ElementsAre(0x01, 0x04, 0x01, 0x05, 0x01, 0x05, 0x81, 0x05, 0x81, 0x04, 0x00));
    EXPECT_EQ(editor.selectedEventLine(), 4);  // still on "A  up"
}

TEST_F(MacroRecording, RecordingEndsAPendingInsertion) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    reopen();
    editor.selectEventLine(0);
    editor.insertAfter();
    editor.toggleRecording();
    type('C');
    type('D');
    EXPECT_THAT(lines(), ElementsAre(u"C  dn", u"C  up", u"D  dn", u"D  up"));
    EXPECT_TRUE(hook.installed);
}

}  // namespace
}  // namespace tq260::testing
