// The window's data files beside the keyboard: what another program wrote, a file its user
// made read-only, temporaries left behind, and the lighting read where the keyboard's own reports
// cannot be heard.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include "keys/keymap_file.h"
#include "support/temporary_folder.h"
#include "window_fixture.h"

namespace tq260 {
namespace {

using ::testing::SizeIs;

class DataFiles : public testing::MainWindowTest {
  protected:
    std::string keymap() const { return folder.filePath("keymap.bin").toStdString(); }
    std::u16string shownPath() const {
        return QDir::toNativeSeparators(folder.filePath("keymap.bin")).toStdU16String();
    }
    // What keymap.bin holds for key 5 as a record's type.
    int typeOfKey5InTheFile() const {
        auto table = std::make_unique<AssignmentTable>();
        if (!reloadAssignments(keymap(), *table)) return -1;
        return (*table)[5].type;
    }
    int warningsStartingWith(std::u16string_view start) const {
        return static_cast<int>(std::count_if(messages.warnings.begin(), messages.warnings.end(),
                                              [&](const auto& w) { return w.starts_with(start); }));
    }
    void replug() {
        window->session().onDeviceChange({DeviceChange::Kind::Removal, 0x04D9, 0xA12F});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link.isConnected(); }, 20000));
        window->session().onDeviceChange({DeviceChange::Kind::Arrival, 0x04D9, 0xA12F});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return link.isConnected() && !window->session().reader().running(); }, 20000));
        QCoreApplication::processEvents();
    }
};

TEST_F(DataFiles, AFileAnotherProgramWroteIsKeptSaidOnceAndReadAgainWhenTheKeyboardIsHeld) {
    start();
    DeviceSettings settings;
    auto table = std::make_unique<AssignmentTable>();
    (*table)[5].type = 7;
    ASSERT_TRUE(saveKeymapFile(keymap(), settings, *table));
    click(950, 615);  // Save, which writes keymap.bin
    click(950, 615);
    EXPECT_EQ(warningsStartingWith(u"This file was changed by another program."), 1);
    EXPECT_EQ(typeOfKey5InTheFile(), 7);

    replug();
    EXPECT_EQ((*state.assignments.table)[5].type, 7);
    click(890, 615);  // Cancel goes back to what the file holds now
    click(950, 615);
    EXPECT_EQ(typeOfKey5InTheFile(), 7);
    EXPECT_THAT(messages.warnings, SizeIs(1));
}

TEST_F(DataFiles, AReadOnlyKeymapIsNotWrittenAndThatIsSaidOnce) {
    start();
    ASSERT_EQ(::chmod(keymap().c_str(), 0444), 0);
    click(950, 615);
    click(950, 615);
    EXPECT_THAT(
        messages.warnings,
        ::testing::ElementsAre(u"This file is read-only, so changes are not saved to it:\n" +
                               shownPath() + u" | TQ260 104vez VANTOR"));
    struct stat status {};
    ASSERT_EQ(::stat(keymap().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0444U);
}

TEST_F(DataFiles, TemporariesOfSavesKilledHalfWayAreRemovedAtStart) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("Configure"));
    const std::vector<std::string> left{
        keymap() + ".tmp-99999999-1-2",
        folder.filePath("Configure/Game.bin.tmp-99999999-3-4").toStdString()};
    for (const auto& file : left) testing::writeRawFile(file, std::vector<std::uint8_t>(10, 1));
    start();
    for (const auto& file : left) EXPECT_FALSE(std::filesystem::exists(file)) << file;
}

// Without the event channel the keyboard's lighting keys go unheard; coming back to the window
// reads what the keyboard shows.
TEST_F(DataFiles, WithoutTheEventChannelTheLightingIsReadWhenTheWindowIsActivated) {
    keyboard.unplug();
    VirtualKeyboard& deaf = transport.addKeyboard({.eventChannelOpenFails = true});
    start();
    ASSERT_FALSE(link.hasEventChannel());
    deaf.changeLightingOnKeyboard({6, 10, 4, 2, 0});
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return record().lighting.effect == 6; }, 20000));
    EXPECT_EQ(record().lighting.brightness, 10);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tq260
