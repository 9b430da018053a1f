// Editing the event list line by line: armed insertions, delays, deletions, and records
// of any shape.
#include <random>

#include "support/macro_edits.h"
#include "tests/macro/macro_editor_fixture.h"

namespace tq260::testing {
namespace {

using ::testing::ElementsAre;

using EventListEditing = MacroEditorTest;

// A press, 50 ms, its release, then B pressed and released at once.
constexpr std::initializer_list<std::uint8_t> kWithDelay = {0x01, 0x41, 0xB2, 0x41,
                                                            0x01, 0x42, 0x81, 0x42};

TEST_F(EventListEditing, ADelayEditedLongAndBackIsByteForByteTheShortOne) {
    putMacro(0, u"M", kWithDelay);
    reopen();
    const EventString before = selected().keyEvents;
    editor.editDelay(1, 200);
    EXPECT_THAT(head(selected().keyEvents, 11),
                ElementsAre(0x01, 0x41, 0xFF, 0x41, 0x00, 0xC8, 0x01, 0x42, 0x81, 0x42, 0x00));
    EXPECT_THAT(head(selected().deviceEvents, 6), ElementsAre(0x01, 0x04, 0xFF, 0x04, 0x00, 0xC8));
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"200 ms", u"A  up", u"B  dn", u"B  up"));
    EXPECT_EQ(editor.selectedEventLine(), 1);
    editor.editDelay(1, 50);
    EXPECT_EQ(selected().keyEvents, before);
    EXPECT_EQ(head(selected().deviceEvents, 10),
              std::vector<std::uint8_t>({0x01, 0x04, 0xB2, 0x04, 0x01, 0x05, 0x81, 0x05, 0, 0}));
}

TEST_F(EventListEditing, EditedDelaysAreKeptTo2Through60000AndOnlyDelayLinesEdit) {
    putMacro(0, u"M", kWithDelay);
    reopen();
    editor.editDelay(1, 0);
    EXPECT_EQ(selected().keyEvents[2], 0x82);
    editor.editDelay(1, 70000);
    EXPECT_THAT(head(selected().keyEvents, 6), ElementsAre(0x01, 0x41, 0xFF, 0x41, 0xEA, 0x60));
    const MacroRecord kept = selected();
    editor.editDelay(0, 300);  // a key line
    editor.editDelay(9, 300);  // no such line
    EXPECT_EQ(selected(), kept);
}

TEST_F(EventListEditing, InsertDelayGivesTheNextEvent50Ms) {
    putMacro(0, u"M", {0x01, 0x41, 0x81, 0x41, 0x01, 0x42, 0xFF, 0x42, 0x01, 0x2C});
    reopen();
    editor.selectEventLine(0);  // the press; its release is next
    EXPECT_EQ(editor.insertDelay(), MacroEditor::InsertDelayOutcome::Done);
    EXPECT_EQ(selected().keyEvents[2], 0xB2);
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"50 ms", u"A  up", u"B  dn", u"300 ms", u"B  up"));
    EXPECT_EQ(editor.selectedEventLine(), -1);  // the list was filled again
    // The next event's 300 ms (4 bytes) becomes 50 ms in 2.
    editor.selectEventLine(3);
    editor.insertDelay();
    EXPECT_THAT(head(selected().keyEvents, 10),
                ElementsAre(0x01, 0x41, 0xB2, 0x41, 0x01, 0x42, 0xB2, 0x42, 0x00, 0x00));
    EXPECT_THAT(head(selected().deviceEvents, 10),
                ElementsAre(0x01, 0x04, 0xB2, 0x04, 0x01, 0x05, 0xB2, 0x05, 0x00, 0x00));

    const MacroRecord kept = selected();
    editor.selectEventLine(5);  // the last line
    EXPECT_EQ(editor.insertDelay(), MacroEditor::InsertDelayOutcome::Ignored);
    editor.selectEventLine(1);  // a delay line
    EXPECT_EQ(editor.insertDelay(), MacroEditor::InsertDelayOutcome::OnDelayLine);
    editor.selectEventLine(-1);
    EXPECT_EQ(editor.insertDelay(), MacroEditor::InsertDelayOutcome::Ignored);
    EXPECT_EQ(selected(), kept);
}

TEST_F(EventListEditing, DeletingADelayLineOrAKeyLine) {
    putMacro(0, u"M", {0x01, 0x41, 0xFF, 0x41, 0x01, 0x2C, 0x01, 0x42, 0x81, 0x42});
    reopen();
    ASSERT_THAT(lines(), ElementsAre(u"A  dn", u"300 ms", u"A  up", u"B  dn", u"B  up"));
    editor.selectEventLine(1);
    ASSERT_TRUE(editor.deleteLine());
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"A  up", u"B  dn", u"B  up"));
    EXPECT_THAT(head(selected().keyEvents, 10),
                ElementsAre(0x01, 0x41, 0x81, 0x41, 0x01, 0x42, 0x81, 0x42, 0x00, 0x00));

    putMacro(0, u"M", {0x01, 0x41, 0xB2, 0x41, 0x01, 0x42, 0x81, 0x42});
    reopen();
    editor.selectEventLine(2);  // the key line after a delay line: both go
    editor.deleteLine();
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"B  dn", u"B  up"));
    editor.selectEventLine(1);  // a press goes without its release
    editor.deleteLine();
    EXPECT_THAT(lines(), ElementsAre(u"A  dn", u"B  up"));
    EXPECT_THAT(head(selected().deviceEvents, 6), ElementsAre(0x01, 0x04, 0x81, 0x05, 0x00, 0x00));
    editor.selectEventLine(-1);
    EXPECT_FALSE(editor.deleteLine());
}

TEST_F(EventListEditing, AFirstEventThatWaitedLosesItsWholeDelay) {
    // Deleting the first press leaves a release that waited 200 ms in front: its two delay
    // bytes must go with its wait, or they would read as an event of their own.
    putMacro(0, u"M", {0x01, 0x41, 0xFF, 0x41, 0x00, 0xC8, 0x01, 0x42});
    reopen();
    editor.selectEventLine(0);
    editor.deleteLine();
    EXPECT_THAT(head(selected().keyEvents, 6), ElementsAre(0x81, 0x41, 0x01, 0x42, 0x00, 0x00));
    EXPECT_THAT(lines(), ElementsAre(u"A  up", u"B  dn"));
}

TEST_F(EventListEditing, InsertionsNeverSplitADelayFromItsKey) {
    putMacro(0, u"M", kWithDelay);  // A dn, 50 ms, A up, B dn, B up
    reopen();
    const auto insertedAt = [&](int selectedLine, bool before) {
        reopen();
        editor.selectEventLine(selectedLine);
        EXPECT_TRUE(before ? editor.insertBefore() : editor.insertAfter());
        return editor.state().insertionLine;
    };
    EXPECT_EQ(insertedAt(0, true), 0);
    EXPECT_EQ(insertedAt(2, true), 1);  // the key line after a delay: before the delay
    EXPECT_EQ(insertedAt(1, true), 1);
    EXPECT_EQ(insertedAt(3, true), 3);
    EXPECT_EQ(insertedAt(1, false), 3);  // a delay line: after its key line
    EXPECT_EQ(insertedAt(0, false), 1);
    EXPECT_EQ(insertedAt(4, false), 5);  // the last line: appended

    reopen();
    editor.selectEventLine(2);
    editor.insertBefore();
    type('C');
    EXPECT_THAT(lines(),
                ElementsAre(u"A  dn", u"C  dn", u"C  up", u"50 ms", u"A  up", u"B  dn", u"B  up"));
    putMacro(0, u"M", kWithDelay);
    reopen();
    editor.selectEventLine(4);
    editor.insertAfter();
    type('C');
    EXPECT_THAT(
        head(selected().deviceEvents, 13),
        ElementsAre(0x01, 0x04, 0xB2, 0x04, 0x01, 0x05, 0x81, 0x05, 0x01, 0x06, 0x81, 0x06, 0x00));
    editor.selectEventLine(-1);
    EXPECT_FALSE(editor.insertBefore());
    EXPECT_FALSE(editor.insertAfter());
}

TEST_F(EventListEditing, AFullStringRefusesWhatWouldNotFitAndLosesNothing) {
    MacroRecord& record = (*table)[0];
    record.setName(u"Full");
    for (std::size_t o = 0; o < kEventStringSize; o += 2) {
        record.keyEvents[o] = o == 2 ? 0xB2 : 0x01;
        record.keyEvents[o + 1] = 'A';
        record.deviceEvents[o] = record.keyEvents[o];
        record.deviceEvents[o + 1] = 0x04;
    }
    reopen();
    const MacroRecord full = selected();
    ASSERT_EQ(editor.eventBytes(), 190U);
    editor.selectEventLine(0);
    editor.insertAfter();
    type('B');
    editor.editDelay(1, 500);  // would need two more bytes
    EXPECT_EQ(selected().keyEvents, full.keyEvents);
    EXPECT_EQ(selected().deviceEvents, full.deviceEvents);
    EXPECT_EQ(lines()[1], u"50 ms");  // the list shows what is kept
}

TEST_F(EventListEditing, WhatTheKeyboardCannotHoldIsTold) {
    putMacro(0, u"Short", {0x01, 0x41, 0x81, 0x41});
    MacroRecord& record = (*table)[1];
    record.setName(u"Long");
    for (std::size_t o = 0; o < 130; o += 2) {
        record.keyEvents[o] = 0x01;
        record.keyEvents[o + 1] = 'A';
        record.deviceEvents[o] = 0x01;
        record.deviceEvents[o + 1] = 0x04;
    }
    reopen();
    EXPECT_EQ(editor.eventBytes(), 4U);
    EXPECT_EQ(editor.firstLineNotPlayed(), 2U);
    editor.selectMacro(1);
    EXPECT_EQ(editor.eventBytes(), 130U);
    EXPECT_EQ(editor.firstLineNotPlayed(), 63U);  // 63 events fill 126 bytes
    EXPECT_THAT(editor.macrosTooLong(), ElementsAre(1));
}

// Whatever a file holds, every edit stays inside the strings and keeps them in step, and
// the list keeps showing exactly what the record holds.
TEST_F(EventListEditing, GarbageRecordsSurviveEveryEdit) {
    std::mt19937 random(260);
    const auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    for (int round = 0; round < 300; ++round) {
        MacroRecord& record = (*table)[0];
        record.setName(u"G");
        for (std::size_t i = 0; i < kEventStringSize; ++i) {
            record.keyEvents[i] = byte();
            record.deviceEvents[i] = random() % 8 == 0 ? record.keyEvents[i] : byte();
        }
        reopen();
        for (int step = 0; step < 12; ++step) {
            const int count = static_cast<int>(lines().size());
            const int line = static_cast<int>(random() % static_cast<unsigned>(count + 2)) - 1;
            runMacroEdit(editor, random(), line, static_cast<int>(random() % 70000), byte());
            const EventBuffers& now = editor.state().buffers;
            const std::size_t end = eventStringEnd(now.key);
            ASSERT_EQ(eventStringEnd(now.device), end) << round << "/" << step;
            for (std::size_t o = 0; o < end; o += macroEventSize(now.key[o])) {
                ASSERT_EQ(now.device[o], now.key[o]);
                ASSERT_NE(now.device[o + 1], 0);
            }
            for (std::size_t o = end; o < kEventStringSize; ++o) {
                ASSERT_EQ(now.key[o], 0);
                ASSERT_EQ(now.device[o], 0);
            }
            ASSERT_EQ(eventLinesOf(now, names), lines());
            // Once written, the record reads back as the list shows it.
            if (selected().keyEvents == now.key) {
                ASSERT_EQ(macroEventLines(selected(), names), lines());
            }
        }
    }
}

}  // namespace
}  // namespace tq260::testing
