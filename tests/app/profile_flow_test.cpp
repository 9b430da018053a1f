// Profiles end to end on the virtual keyboard: a profile keeps the configuration, and
// loading it back gives the keyboard that configuration at the next Save.
#include <gmock/gmock.h>

#include <QFileInfo>

#include "dialog_flow_fixture.h"
#include "dialogs/profile_dialog_layout.h"
#include "keys/keymap_file.h"

namespace tq260 {
namespace {

using ProfileFlow = testing::DialogFlow;

TEST_F(ProfileFlow, AProfileLoadedFromItsExportPutsItsLightingOnTheKeyboardAtSave) {
    start();
    click(100, 115);  // the lighting section
    window->brightnessSlider()->setValue(30);
    click(950, 615);  // Save
    const QString exported = folder.filePath("arena.bin");
    inProfiles([&](CConfigureDlg& dialog) {
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(40, 600));  // New
        dialog.list()->setCurrentRow(0);
        pickers.answers = {exported.toStdU16String()};
        dialog.runCommand(kProfileSaveCommand);
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(255, 15));  // close
    });
    EXPECT_EQ(QFileInfo(exported).size(), 199272);
    EXPECT_EQ(QFileInfo(folder.filePath("Configure/Profile_1.bin")).size(), 199272);

    window->brightnessSlider()->setValue(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return keyboard.memory().lighting[1] == 5; }));
    inProfiles([&](CConfigureDlg& dialog) {
        dialog.list()->setCurrentRow(0);
        pickers.answers = {exported.toStdU16String()};
        dialog.runCommand(kProfileLoadCommand);
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(255, 15));
    });
    // The main window takes the loaded configuration and shows it; the keyboard has it
    // after Save.
    EXPECT_EQ(record().lighting.brightness, 30);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->brightnessSlider()->value() == 30; }));
    click(950, 615);
    EXPECT_EQ(static_cast<int>(keyboard.memory().lighting[1]), 30);
    EXPECT_TRUE(messages.shown.empty());
}

// One action: Enter on a profile in the dialog gives it to the keyboard, and the window and
// the dialog show it in use.
TEST_F(ProfileFlow, EnterOnAProfileGivesItToTheKeyboardAtOnce) {
    start();
    putProfile("Arena", 12);
    messages.choices = {1};  // what the keyboard holds is in no profile: discarded
    inProfiles([&](CConfigureDlg& dialog) {
        dialog.list()->setCurrentRow(0);
        QTest::keyClick(dialog.list(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialog.list()->item(0)->data(CTransparentListBox::kMarkRole).toBool());
    });
    EXPECT_EQ(static_cast<int>(keyboard.memory().lighting[1]), 12);
    EXPECT_EQ(messages.offered.size(), 1U);
    EXPECT_EQ(window->profileLine(), "Profile: Arena");
    EXPECT_EQ(window->brightnessSlider()->value(), 12);
}

}  // namespace
}  // namespace tq260
