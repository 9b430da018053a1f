// A keyboard that stops answering: the window's operation ends after one timeout, the user
// is told, and nothing that was not sent is taken as saved.
#include <gmock/gmock.h>

#include "keys/key_picture.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MainWindowTest;

constexpr QPoint kSave(950, 615);
constexpr QPoint kFactoryReset(830, 615);
const std::u16string kCaption = u" | TQ260 104vez VANTOR";

class SilentKeyboard : public MainWindowTest {
  protected:
    void clickAt(QPoint p) { click(p.x(), p.y()); }

    // The command channel's wire log without the times.
    std::vector<std::string> commandChannel() const {
        std::vector<std::string> lines;
        for (const std::string& line : keyboard.wireLog().lines()) {
            const auto at = line.find(" cmd ");
            if (at != std::string::npos) lines.push_back(line.substr(at + 5));
        }
        return lines;
    }

    // The A key becomes Volume up and game mode goes off: a key table and a setting to send.
    void changeAKeyAndGameMode() {
        AssignmentRequest volumeUp;
        volumeUp.type = AssignmentType::SingleKey;
        volumeUp.count = 1;
        volumeUp.keyList[0] = 0xAF;
        dialogs.answer = volumeUp;
        const KeyRectangle& r = KeyRectangleTable[63];
        click(kKeyboardPictureX + (r.left + r.right) / 2,
              kKeyboardPictureY + (r.top + r.bottom) / 2);
        click(100, 195);
        click(83, 188 + 37);
    }
};

TEST_F(SilentKeyboard, SilentFromTheStartIsToldAfterOneTimeoutAndSaveSendsNothing) {
    keyboard.setSilent(true);
    window = std::make_unique<CGameKeyboardDlg>(state, services);
    window->initialise();
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 20000));
    EXPECT_THAT(messages.shown, ElementsAre(u"The keyboard is not answering.\nIts settings could "
                                            u"not be read. Unplug the keyboard and plug it in "
                                            u"again." +
                                            kCaption));
    // One command waited out its timeout; nothing else was tried.
    EXPECT_THAT(commandChannel(), ElementsAre("set 00 02 01 00 00 00 00 00 88 failed"));

    // A record the keyboard never gave is not sent over what it holds.
    keyboard.setSilent(false);
    keyboard.wireLog().clear();
    messages.shown.clear();
    clickAt(kSave);
    EXPECT_TRUE(commandsSent().empty());
    EXPECT_THAT(messages.shown,
                ElementsAre(u"The keyboard's settings have not been read, so nothing was saved to "
                            u"it.\nUnplug the keyboard and plug it in again." +
                            kCaption));
}

TEST_F(SilentKeyboard, SilenceDuringSaveEndsItWithinOneTimeoutAndTheNextSaveSendsTheRest) {
    start();
    changeAKeyAndGameMode();
    keyboard.wireLog().clear();
    keyboard.fallSilentAfterCommands(2);  // lighting, then the first key block's announcement
    const std::int64_t pressed = clock.movedByThisThreadUs();
    clickAt(kSave);
    // The window never waited on the keyboard; the Save ended at the unanswered report.
    EXPECT_EQ(clock.movedByThisThreadUs(), pressed);
    const auto wire = commandChannel();
    ASSERT_FALSE(wire.empty());
    EXPECT_THAT(wire.back(), ::testing::StartsWith("write 00"));
    EXPECT_THAT(wire.back(), ::testing::EndsWith("failed"));
    EXPECT_EQ(std::count_if(wire.begin(), wire.end(),
                            [](const std::string& l) { return l.ends_with("failed"); }),
              1);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"The keyboard is not answering.\nNot everything was saved to it. "
                            u"What was not sent stays changed, and the next Save sends it." +
                            kCaption));
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0x04);  // still A
    EXPECT_EQ(keyboard.memory().gameMode, 1);
    EXPECT_EQ(state.assignments.marks[63], 1);

    keyboard.setSilent(false);
    keyboard.wireLog().clear();
    clickAt(kSave);
    EXPECT_THAT(commandsSent(), ElementsAre(0x08, 0x0C, 0x0D, 0x01, 0x04, 0x02));
    EXPECT_EQ(keyboard.memory().keyBlocks[1][2], 0xE9);
    EXPECT_EQ(keyboard.memory().gameMode, 0);
    EXPECT_EQ(messages.shown.size(), 1U);
}

TEST_F(SilentKeyboard, CancelAfterAnUnfinishedSaveKeepsWhatTheKeyboardTook) {
    start();
    changeAKeyAndGameMode();
    keyboard.fallSilentAfterCommands(5);  // lighting, both key blocks, report rate, response
    clickAt(kSave);
    ASSERT_EQ(messages.shown.size(), 1U);
    click(890, 615);  // Cancel
    // The key table reached the keyboard and stays; game mode never did and goes back.
    EXPECT_EQ(record().keyTable[64].code, 0xE9);
    EXPECT_EQ((*state.assignments.table)[63].type, (*state.assignments.shadow)[63].type);
    EXPECT_EQ(record().gameMode, 1);
}

TEST_F(SilentKeyboard, FactoryResetOnASilentKeyboardChangesNothingAndSaysSo) {
    start();
    (*state.assignments.table)[63].type = 3;
    state.assignments.marks[63] = 1;
    const DeviceSettings before = record();
    keyboard.setSilent(true);
    messages.answers = {true};
    keyboard.wireLog().clear();
    const std::int64_t pressed = clock.movedByThisThreadUs();
    clickAt(kFactoryReset);
    EXPECT_EQ(clock.movedByThisThreadUs(), pressed);
    EXPECT_THAT(commandChannel(), ElementsAre("set 00 13 ff 00 00 00 00 00 99 failed"));
    ASSERT_EQ(messages.shown.size(), 2U);  // the question, then the news
    EXPECT_EQ(messages.shown[1],
              u"The keyboard is not answering.\nThe factory settings may not have been restored. "
              u"Unplug the keyboard, plug it in again and try once more." +
                  kCaption);
    EXPECT_EQ((*state.assignments.table)[63].type, 3);
    EXPECT_EQ(state.assignments.marks[63], 1);
    EXPECT_EQ(record(), before);

    // The keyboard may have reset: the record is no longer known to be its, so Save waits
    // for a new read instead of writing it back.
    keyboard.setSilent(false);
    keyboard.wireLog().clear();
    clickAt(kSave);
    EXPECT_TRUE(commandsSent().empty());
    EXPECT_EQ(messages.shown.size(), 3U);
}

TEST_F(SilentKeyboard, LightingPreviewsWaitForAnAnsweringKeyboard) {
    start();
    click(100, 115);  // the lighting section
    keyboard.setSilent(true);
    clickAt(kSave);
    ASSERT_EQ(messages.shown.size(), 1U);

    // Each slider step would otherwise hold the window for a whole timeout.
    keyboard.wireLog().clear();
    const std::int64_t before = clock.movedByThisThreadUs();
    window->brightnessSlider()->setValue(12);
    window->brightnessSlider()->setValue(13);
    ASSERT_TRUE(QTest::qWaitFor([&] { return record().lighting.brightness == 13; }, 2000));
    EXPECT_EQ(clock.movedByThisThreadUs(), before);
    EXPECT_TRUE(commandsSent().empty());

    // Answering again, Save sends the new brightness and the previews come back.
    keyboard.setSilent(false);
    clickAt(kSave);
    EXPECT_EQ(keyboard.memory().lighting[1], 13);
    keyboard.wireLog().clear();
    window->brightnessSlider()->setValue(14);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !commandsSent().empty(); }, 2000));
    EXPECT_EQ(commandsSent().front(), 0x08);
    EXPECT_EQ(keyboard.memory().lighting[1], 14);
}

TEST_F(SilentKeyboard, MessagesFollowTheLanguage) {
    state.language = Language::Chinese;
    keyboard.setSilent(true);
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 20000));
    EXPECT_THAT(messages.shown,
                ElementsAre(u"键盘没有响应。\n无法读取其设置。请拔下键盘后重新插入。 | "
                            u"TQ260 104vez星岚版"));
}

}  // namespace
}  // namespace tq260
