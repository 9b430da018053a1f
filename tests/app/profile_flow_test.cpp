// Profiles end to end on the virtual keyboard: a profile keeps the configuration, and
// loading it back gives the keyboard that configuration at the next Save.
#include <gmock/gmock.h>

#include <QFileInfo>

#include "app/front_profiles.h"
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
        dialog.runCommand(kProfileSaveCommand);
        pickers.answers = {exported.toStdU16String()};
        dialog.runCommand(kProfileExportCommand);
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
    // What the keyboard holds is in no profile: kept in a new one, which the open list shows.
    messages.choices = {0};
    inProfiles([&](CConfigureDlg& dialog) {
        dialog.list()->setCurrentRow(0);
        QTest::keyClick(dialog.list(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        QCoreApplication::processEvents();
        ASSERT_EQ(dialog.list()->count(), 2);
        EXPECT_EQ(dialog.list()->item(1)->text(), "Profile_1");
        EXPECT_TRUE(dialog.list()->item(0)->data(CTransparentListBox::kMarkRole).toBool());
    });
    EXPECT_EQ(static_cast<int>(keyboard.memory().lighting[1]), 12);
    EXPECT_EQ(messages.offered.size(), 1U);
    EXPECT_EQ(window->profileLine(), "Profile: Arena");
    EXPECT_EQ(window->brightnessSlider()->value(), 12);
}

// While the dialog is open, what it changes reaches the bottom bar and the bus's signal at
// once, and the line of a Use started from it shows beside it, not under it.
TEST_F(ProfileFlow, TheOpenDialogsChangesShowAtOnceAndTheUseLineBesideIt) {
    start();
    putProfile("Arena", 12);
    std::vector<std::u16string> told;
    window->setChangeListener({{}, [&](const std::u16string& name) { told.push_back(name); }});
    messages.choices = {1};  // what the keyboard holds is in no profile: discarded
    inProfiles([&](CConfigureDlg& dialog) {
        dialog.list()->setCurrentRow(0);
        QTest::keyClick(dialog.list(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->keyboardBusy(); }, 20000));
        QCoreApplication::processEvents();
        // "Saved to the keyboard." in the accent colour, all of it right of the dialog.
        const QImage shown = window->renderWindow();
        const qreal density = shown.devicePixelRatio();
        const int dialogRight = dialog.geometry().right() - window->geometry().left();
        int hidden = 0;
        int seen = 0;
        for (int x = 100 * density; x < 790 * density; ++x) {
            for (int y = 600 * density; y < 632 * density; ++y) {
                if (shown.pixelColor(x, y) != QColor(0x3F, 0xC8, 0xF0)) continue;
                ++(x <= dialogRight * density ? hidden : seen);
            }
        }
        EXPECT_EQ(hidden, 0);
        EXPECT_GT(seen, 0);
        // A rename of the active profile is the bar's and the bus's at once.
        const QPoint centre = dialog.list()->rowRect(0).center();
        QTest::mouseDClick(dialog.list()->viewport(), Qt::LeftButton, {}, centre);
        ASSERT_NE(dialog.list()->editor(), nullptr);
        dialog.list()->editor()->selectAll();
        QTest::keyClicks(dialog.list()->editor(), "Zone");
        QTest::keyClick(dialog.list()->editor(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !told.empty() && told.back() == u"Zone"; }));
        EXPECT_EQ(window->profileLine(), "Profile: Zone");
    });
    EXPECT_EQ(told, std::vector<std::u16string>({u"Arena", u"Zone"}));
}

// The tray's menu opens while a dialog is up, so the rules may be asked for while their window
// is open: it comes forward instead of opening twice.
TEST_F(ProfileFlow, TheRulesWindowOpensOnce) {
    start();
    FrontProfiles front(*window, state, timers);
    realDialogs->setProfileRules([&](QWidget* owner) { front.runRulesWindow(owner, messages); });
    const auto open = [] {
        std::vector<QDialog*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == "ProfileRulesDialog") {
                found.push_back(static_cast<QDialog*>(w));
            }
        }
        return found;
    };
    std::size_t most = 0;
    bool askedAgain = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const auto shown = open();
        most = std::max(most, shown.size());
        if (shown.size() > 1 || (askedAgain && !shown.empty())) {
            for (QDialog* d : shown) d->reject();
        }
    });
    QTimer::singleShot(0, [&] {
        realDialogs->runProfileRules();
        askedAgain = true;
    });
    poll.start();
    realDialogs->runProfileRules();
    EXPECT_EQ(most, 1U);
    EXPECT_TRUE(askedAgain);
}

}  // namespace
}  // namespace tq260
