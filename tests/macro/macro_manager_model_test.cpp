// The macro manager's lists, names, loop counts and options, without a window.
#include "tests/macro/macro_editor_fixture.h"

namespace tq260::testing {
namespace {

using ::testing::ElementsAre;

using MacroManagerModel = MacroEditorTest;

TEST_F(MacroManagerModel, NewNamesTheFirstFreeNumberAndStopsAtSix) {
    EXPECT_EQ(editor.newMacro(), MacroEditor::NewOutcome::Added);
    EXPECT_EQ(editor.newMacro(), MacroEditor::NewOutcome::Added);
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"Macro_001", u"Macro_002"));
    EXPECT_EQ(editor.selectedMacro(), 1);
    ASSERT_TRUE(editor.renameMacro(0, u"Sprint"));
    editor.newMacro();
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"Sprint", u"Macro_002", u"Macro_001"));
    EXPECT_EQ((*table)[2].nameText(), u"Macro_001");
    EXPECT_EQ((*table)[0].nameText(), u"Sprint");
    for (int i = 0; i < 3; ++i) editor.newMacro();
    const MacroTable six = *table;
    EXPECT_EQ(editor.newMacro(), MacroEditor::NewOutcome::TooMany);
    EXPECT_EQ(editor.macroLines().size(), 6U);
    EXPECT_EQ(*table, six);
    EXPECT_THAT(editor.macroLines(), ::testing::Contains(u"Macro_005"));
}

TEST_F(MacroManagerModel, ANewMacroStartsPlainAndEmpty) {
    putMacro(0, u"Loops", {0x01, 0x41, 0xB2, 0x41}, 7);
    (*table)[0].recordDelay = 1;
    reopen();
    ASSERT_TRUE(editor.state().numberOfLoops);
    ASSERT_TRUE(editor.state().recordDelay);
    editor.newMacro();
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(editor.loopsText(), u"1");
    EXPECT_FALSE(editor.state().numberOfLoops);
    EXPECT_FALSE(editor.state().recordDelay);
    EXPECT_EQ((*table)[1].loopCount, 1);
    EXPECT_EQ((*table)[1].keyEvents[1], 0);
    EXPECT_EQ((*table)[0].loopCount, 7);  // the first keeps its count
}

TEST_F(MacroManagerModel, DeletingSelectsTheNextOrTheNewLast) {
    for (int i = 0; i < 3; ++i) editor.newMacro();
    putMacro(1, u"Macro_002", {0x01, 0x42, 0x81, 0x42});
    editor.selectMacro(2);
    ASSERT_TRUE(editor.deleteSelected());
    EXPECT_EQ(editor.selectedMacro(), 1);
    EXPECT_THAT(lines(), ElementsAre(u"B  dn", u"B  up"));
    EXPECT_TRUE((*table)[2].isFree());

    editor.selectMacro(0);
    editor.deleteSelected();  // the records close up behind it
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"Macro_002"));
    EXPECT_EQ(editor.selectedMacro(), 0);
    EXPECT_EQ((*table)[0].nameText(), u"Macro_002");
    EXPECT_TRUE((*table)[1].isFree());

    editor.deleteSelected();
    EXPECT_TRUE(editor.macroLines().empty());
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(editor.selectedMacro(), -1);
    EXPECT_TRUE((*table)[0].isFree());
    EXPECT_FALSE(editor.deleteSelected());
}

TEST_F(MacroManagerModel, BlankNamesAreRefusedAndLongOnesCut) {
    editor.newMacro();
    EXPECT_FALSE(editor.renameMacro(0, u""));
    EXPECT_FALSE(editor.renameMacro(0, u"   "));
    EXPECT_FALSE(editor.renameMacro(3, u"Elsewhere"));
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"Macro_001"));
    EXPECT_EQ((*table)[0].nameText(), u"Macro_001");
    EXPECT_TRUE(editor.renameMacro(0, std::u16string(300, u'x')));
    EXPECT_EQ(editor.macroLines()[0].size(), 254U);
    EXPECT_EQ((*table)[0].nameText().size(), 254U);
}

TEST_F(MacroManagerModel, OpeningShowsTheFirstMacroAsStored) {
    putMacro(3, u"Later", {0x01, 0x41});  // a free record before it
    putMacro(1, u"First", {0x01, 0x42, 0x81, 0x42}, 0);
    (*table)[1].recordDelay = 0xFE;  // only bit 0 counts
    reopen();
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"First", u"Later"));
    EXPECT_EQ((*table)[0].nameText(), u"First");
    EXPECT_EQ((*table)[1].nameText(), u"Later");
    EXPECT_EQ(editor.selectedMacro(), 0);
    EXPECT_EQ(editor.loopsText(), u"1");  // a stored 0 is shown, and kept, as 1
    EXPECT_EQ((*table)[0].loopCount, 1);
    EXPECT_FALSE(editor.state().numberOfLoops);
    EXPECT_FALSE(editor.state().recordDelay);
    EXPECT_THAT(lines(), ElementsAre(u"B  dn", u"B  up"));

    (*table)[1].loopCount = 250;
    (*table)[1].recordDelay = 1;
    editor.selectMacro(1);
    EXPECT_EQ(editor.loopsText(), u"250");
    EXPECT_TRUE(editor.state().numberOfLoops);
    EXPECT_TRUE(editor.state().recordDelay);
}

TEST_F(MacroManagerModel, TheLoopsFieldNeverHoldsZeroAndFeedsTheSelectedMacro) {
    editor.newMacro();
    editor.toggleNumberOfLoops();
    editor.setLoopsText(u"25");
    EXPECT_EQ((*table)[0].loopCount, 25);
    editor.setLoopsText(u"0");
    EXPECT_EQ(editor.loopsText(), u"1");
    editor.setLoopsText(u"");
    EXPECT_EQ(editor.loopsText(), u"1");
    editor.setLoopsText(u"1234");
    EXPECT_EQ(editor.loopsText(), u"123");
    editor.confirm();
    EXPECT_EQ((*table)[0].loopCount, 123);
    editor.toggleNumberOfLoops();  // off: back to one
    EXPECT_EQ(editor.loopsText(), u"1");
    EXPECT_EQ((*table)[0].loopCount, 1);
}

TEST_F(MacroManagerModel, ChangesWriteTheOptionsIntoTheRecord) {
    editor.newMacro();
    editor.toggleNumberOfLoops();
    editor.setLoopsText(u"9");
    editor.toggleRecordDelay();
    editor.toggleRecording();
    type('A');
    EXPECT_EQ((*table)[0].loopCount, 9);
    EXPECT_EQ((*table)[0].recordDelay, 1);
    editor.toggleNumberOfLoops();
    editor.toggleRecordDelay();
    type('B');
    EXPECT_EQ((*table)[0].loopCount, 1);
    EXPECT_EQ((*table)[0].recordDelay, 0);
}

TEST_F(MacroManagerModel, SlotMovesSayWhereEachKeyboardSlotsMacroWent) {
    putMacro(1, u"B", {0x01, 0x42});  // record 0 free: B is slot 0 once opened
    putMacro(2, u"C", {0x01, 0x43});
    putMacro(3, u"D", {0x01, 0x44});
    reopen();
    EXPECT_THAT(editor.slotMoves(), ElementsAre(0, 0, 1, 2, 4, 5));
    editor.selectMacro(0);
    editor.deleteSelected();  // B
    editor.newMacro();
    EXPECT_THAT(editor.slotMoves(), ElementsAre(0, -1, 0, 1, 4, 5));
    EXPECT_THAT(editor.macroLines(), ElementsAre(u"C", u"D", u"Macro_001"));
}

TEST_F(MacroManagerModel, RecordingStopsForAnInsertionOrAnotherMacro) {
    putMacro(0, u"A", {0x01, 0x41, 0x81, 0x41});
    putMacro(1, u"B", {0x01, 0x42, 0x81, 0x42});
    reopen();
    editor.toggleRecording();
    editor.selectMacro(1);
    EXPECT_FALSE(editor.state().recording);
    EXPECT_FALSE(hook.installed);
    type('C');
    EXPECT_THAT(lines(), ElementsAre(u"B  dn", u"B  up"));

    editor.toggleRecording();
    type('C');
    editor.selectEventLine(0);
    editor.insertBefore();
    EXPECT_FALSE(editor.state().recording);  // the button says Start again
    type('D');
    EXPECT_THAT(lines(), ElementsAre(u"D  dn", u"D  up", u"C  dn", u"C  up"));
    EXPECT_FALSE(hook.installed);
}

}  // namespace
}  // namespace tq260::testing
