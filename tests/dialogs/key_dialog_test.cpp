#include <gmock/gmock.h>

#include <QApplication>
#include <QDir>
#include <QFocusEvent>
#include <QTemporaryDir>
#include <functional>

#include "key_dialog_fixture.h"
#include "support/language_cases.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::KeyDialogTest;
namespace at = testing::at;

constexpr std::size_t kHome = 35;  // a navigation key: the first dialog
constexpr std::size_t kF1 = 1;     // the second dialog
constexpr std::size_t kA = 63;

class KeyDialog : public KeyDialogTest {};

// ---- The key page --------------------------------------------------------------------

// Save with nothing chosen changes nothing: an unassigned key shows its own key, and
// neither that, an emptied box nor the macro page without a macro disables it.
TEST_F(KeyDialog, SaveWithNothingChosenChangesNothing) {
    (*macros)[0].setName(u"Combo");
    const std::function<void()> leaveAsOpened = [] {};
    const std::function<void()> emptyTheBox = [&] {
        QFocusEvent clicked(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(dialog->keyBox(), &clicked);
        EXPECT_EQ(box(), "");
    };
    const std::function<void()> macroPage = [&] { click(at::macroTab); };
    for (const auto& steps : {leaveAsOpened, emptyTheBox, macroPage}) {
        open(Navigation, kHome);
        EXPECT_EQ(box(), "Home ");
        steps();
        click(at::save);
        EXPECT_TRUE(closed());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
}

TEST_F(KeyDialog, APressedKeyIsSavedAsTheKeysNewKey) {
    record.data[0] = 'B';  // stored: B
    open(Other, kA);
    EXPECT_EQ(box(), "B ");
    hook.type('C');
    EXPECT_EQ(box(), "C ");
    // One key is what a capture takes: the next reaches the box only after a click into it.
    EXPECT_FALSE(hook.installed());
    hook.type(0xA1);
    EXPECT_EQ(box(), "C ");
    clickIntoBox();
    hook.type(0xA1);
    EXPECT_EQ(box(), "RShift ");
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.type, AssignmentType::SingleKey);
    EXPECT_EQ(request.count, 1U);
    EXPECT_EQ(request.keyList[0], 0xA1);
    EXPECT_EQ(request.keyList[1], 0);
}

// Keys held down together make a combination of up to three, as a shortcut is pressed; a
// key pressed alone after all were released starts again.
TEST_F(KeyDialog, KeysHeldTogetherMakeACombinationAndAKeyAloneStartsAgain) {
    open(Other, kA);
    hook.press(0xA2);
    hook.press('C');
    EXPECT_EQ(box(), "LCtrl + C ");
    hook.release('C');
    hook.press('V');  // LCtrl still held
    EXPECT_EQ(box(), "LCtrl + V ");
    hook.press(0xA0);
    hook.press(0xA0);  // held: repeats
    hook.press('X');   // a fourth key held with three
    EXPECT_EQ(box(), "LCtrl + V + LShift ");
    for (const int key : {0xA2, int{'V'}, 0xA0, int{'X'}})
        hook.release(static_cast<std::uint8_t>(key));
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.type, AssignmentType::Combination);
    EXPECT_EQ(request.count, 3U);
    EXPECT_THAT(std::vector<int>(request.keyList.begin(), request.keyList.begin() + 4),
                ElementsAre(0xA2, 'V', 0xA0, 0));

    storeCombination({0xA2, 'C'});
    open(Other, kA);
    EXPECT_EQ(box(), "LCtrl + C ");
    EXPECT_EQ(dialog->combinationBox()->text(), "LCtrl + C ");
    EXPECT_FALSE(dialog->combinationBox()->isVisible());
    hook.type(0xA2);
    clickIntoBox();
    hook.type('X');
    EXPECT_EQ(box(), "X ");
    click(at::save);
    EXPECT_EQ(request.type, AssignmentType::SingleKey);
    EXPECT_EQ(request.count, 1U);
    EXPECT_THAT(std::vector<int>(request.keyList.begin(), request.keyList.begin() + 3),
                ElementsAre('X', 0, 0));
}

TEST_F(KeyDialog, ClickingIntoTheBoxStartsOverButTheWindowComingBackDoesNot) {
    storeCombination({0xA2, 'C'});
    open(Other, kA);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(dialog->keyBox(), &back);
    EXPECT_EQ(box(), "LCtrl + C ");
    EXPECT_EQ(request.type, AssignmentType::Combination);
    QFocusEvent clicked(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(dialog->keyBox(), &clicked);
    EXPECT_EQ(box(), "");
    EXPECT_EQ(request.type, AssignmentType::SingleKey);
    EXPECT_EQ(request.count, 0U);
    hook.type('Q');
    EXPECT_EQ(box(), "Q ");
}

TEST_F(KeyDialog, WithoutTheHookNothingIsCapturedAndTheRestWorks) {
    hook.refuse = true;
    open(Navigation, kHome);
    sendWindowMessage(dialog.get(), WM_HOOK_KEY, 'B', 0);
    EXPECT_EQ(box(), "Home ");
    click(at::functionTab);
    EXPECT_EQ(dialog->state().page, KeyAssignmentDialog::FunctionPage);
}

// ---- Macro and function pages --------------------------------------------------------

TEST_F(KeyDialog, TheFirstDialogsMacroTabAssignsTheChosenMacro) {
    (*macros)[0].setName(u"Combo");
    (*macros)[1].setName(u"Reload");
    open(Navigation, kHome);
    click(at::macroTab);
    ASSERT_EQ(dialog->state().page, KeyAssignmentDialog::MacroPage);
    ASSERT_EQ(dialog->macroList()->count(), 2);
    dialog->macroList()->setCurrentRow(1);
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.type, AssignmentType::Macro);
    EXPECT_EQ(request.macroIndex, 1);
}

TEST_F(KeyDialog, TheMacroListOffersTheKeyboardsSlotsUpToTheFirstFreeRecord) {
    for (std::size_t i : {0, 1, 3}) (*macros)[i].setName(u"M");
    open(Navigation, kHome);
    EXPECT_EQ(dialog->macroList()->count(), 2);
    for (std::size_t i = 0; i < 10; ++i) (*macros)[i].setName(u"M");
    open(Navigation, kHome);
    EXPECT_EQ(dialog->macroList()->count(), 6);
}

TEST_F(KeyDialog, AStoredMacroOpensTheSecondDialogOnItsMacroPage) {
    for (std::size_t i = 0; i < 3; ++i) (*macros)[i].setName(u"M");
    storeMacro(2);
    open(Other, 64);
    EXPECT_EQ(dialog->state().page, KeyAssignmentDialog::MacroPage);
    EXPECT_TRUE(dialog->macroList()->isVisible());
    EXPECT_EQ(dialog->macroList()->currentRow(), 2);
    click(at::save);
    EXPECT_EQ(request.type, AssignmentType::Macro);
    EXPECT_EQ(request.macroIndex, 2);
}

TEST_F(KeyDialog, StoredPlayPauseOpensSelectedInAChineseInterface) {
    storeFunction(3);  // Play/Pause
    open(Other, kA, Language::Chinese);
    ASSERT_EQ(dialog->state().page, KeyAssignmentDialog::FunctionPage);
    const auto selected = dialog->tree()->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front()->text(0), "暂停-播放");
    EXPECT_EQ(dialog->tree()->topLevelItemCount(), 8);
    click(at::save);
    EXPECT_EQ(request.type, AssignmentType::NamedFunction);
    EXPECT_EQ(functionName(), u"暂停-播放");
}

TEST_F(KeyDialog, FunctionPageSaveWithNothingChosenAsksForAnItem) {
    open(Navigation, kHome);
    click(at::functionTab);
    click(at::save);
    EXPECT_FALSE(closed());
    EXPECT_THAT(messages.shown, ElementsAre(u"请选择子项 | TQ260 104vez VANTOR"));
    dialog->tree()->setCurrentItem(dialog->tree()->topLevelItem(5));
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(functionName(), u"Vol+");
}

TEST_F(KeyDialog, ACategoryTextIsNeverAFunction) {
    open(Other, kA, Language::Chinese);
    click(QPoint(240, 44));
    new QTreeWidgetItem(dialog->tree(), QStringList(QStringLiteral("快捷键")));
    dialog->tree()->setCurrentItem(dialog->tree()->topLevelItem(8));
    click(at::save);
    EXPECT_FALSE(closed());
    EXPECT_THAT(messages.shown, ElementsAre(u"请选择子项 | TQ260 104vez星岚版"));
}

// ---- Tabs, buttons and ways out ------------------------------------------------------

TEST_F(KeyDialog, TheSecondDialogHasOnlyTheKeyAndFunctionTabs) {
    open(Other, kF1);
    std::vector<KeyDialogRole> tabs;
    for (std::size_t i = 0; i < dialog->buttons().size(); ++i) {
        const KeyDialogRole role = dialog->variant().roles[i];
        if (!dialog->buttons()[i].rect.isNull() &&
            (role == KeyDialogRole::KeyTab || role == KeyDialogRole::MacroTab ||
             role == KeyDialogRole::FunctionTab || role == KeyDialogRole::LaunchTab)) {
            tabs.push_back(role);
        }
    }
    EXPECT_THAT(tabs, ElementsAre(KeyDialogRole::KeyTab, KeyDialogRole::FunctionTab));
    for (int x = 0; x <= 325; x += 5) {
        click(QPoint(x, 44));
        ASSERT_NE(dialog->state().page, KeyAssignmentDialog::MacroPage) << x;
        ASSERT_NE(dialog->state().page, KeyAssignmentDialog::LaunchPage) << x;
    }
}

TEST_F(KeyDialog, DefaultRestoresTheFactoryFunctionFromEveryPage) {
    (*macros)[0].setName(u"Combo");
    for (const QPoint tab : {at::keyTab, at::macroTab, at::functionTab}) {
        open(Navigation, kHome);
        click(tab);
        click(at::defaults);
        EXPECT_TRUE(accepted());
        EXPECT_EQ(request.count, AssignmentRequest::kRestoreDefault);
    }
    storeLaunch(AssignmentType::LaunchExe, u"/bin/true");
    open(Other, kA);
    ASSERT_EQ(dialog->state().page, KeyAssignmentDialog::LaunchPage);
    click(at::defaults);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.count, AssignmentRequest::kRestoreDefault);
}

TEST_F(KeyDialog, DisableTickedClearsTheChoiceAndDisablesTheKeyOnSave) {
    record.data[0] = 'B';
    open(Other, kA);
    hook.type('C');
    click(at::toggle);
    EXPECT_TRUE(dialog->state().disableToggle);
    EXPECT_EQ(box(), "");
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.type, AssignmentType::Disable);
}

// The last choice wins: a key pressed, a macro or a function chosen unticks Disable.
TEST_F(KeyDialog, ANewChoiceUnticksDisable) {
    (*macros)[0].setName(u"Combo");
    struct Row {
        std::function<void()> choose;
        AssignmentType saved;
    };
    const Row rows[] = {
        {[&] { hook.type('B'); }, AssignmentType::SingleKey},
        {[&] { click(at::toggle); }, AssignmentType::SingleKey},  // unticked: its own key
        {[&] {
             click(at::macroTab);
             dialog->macroList()->setCurrentRow(0);
         },
         AssignmentType::Macro},
        {[&] {
             click(at::functionTab);
             dialog->tree()->setCurrentItem(dialog->tree()->topLevelItem(5));
         },
         AssignmentType::NamedFunction},
    };
    for (const Row& row : rows) {
        open(Navigation, kHome, Language::English, true);
        ASSERT_TRUE(dialog->state().disableToggle);
        EXPECT_EQ(box(), "");
        row.choose();
        EXPECT_FALSE(dialog->state().disableToggle);
        click(at::save);
        EXPECT_TRUE(accepted());
        EXPECT_EQ(request.type, row.saved);
    }
    EXPECT_EQ(request.keyList[0], 0);  // the function page sends no key
    open(Navigation, kHome, Language::English, true);
    click(at::toggle);
    EXPECT_EQ(box(), "Home ");
    click(at::save);
    EXPECT_EQ(request.keyList[0], KeyLayout[kHome].virtualKey);
}

TEST_F(KeyDialog, WithoutMacrosTheMacroPageSaysHowToMakeOne) {
    open(Navigation, kHome);
    click(at::macroTab);
    EXPECT_EQ(dialog->state().page, KeyAssignmentDialog::MacroPage);
    EXPECT_FALSE(dialog->macroList()->isVisible());
    const QImage page = dialog->render();
    int hintPixels = 0;
    for (int y = kMacroListGeometry.top(); y <= kMacroListGeometry.bottom(); ++y) {
        for (int x = kMacroListGeometry.left(); x <= kMacroListGeometry.right(); ++x) {
            if (qGreen(page.pixel(x, y)) > 0x60) ++hintPixels;
        }
    }
    EXPECT_GT(hintPixels, 50);  // its text shows where the list would be
}

TEST_F(KeyDialog, EnterAndEscapeNeverClose) {
    open(Navigation, kHome);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    QTest::keyClick(dialog->keyBox(), Qt::Key_Escape);
    QTest::keyClick(dialog->keyBox(), Qt::Key_A);
    EXPECT_FALSE(closed());
    EXPECT_EQ(box(), "Home ");  // typing never edits the box
}

TEST_F(KeyDialog, CancelAndCloseEndWithoutARequest) {
    for (const QPoint way : {at::cancel, at::close}) {
        record.data[0] = 'B';
        open(Navigation, kHome);
        hook.type('C');
        click(way);
        EXPECT_TRUE(closed());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(request.count, 0U);
        EXPECT_EQ(request.keyList[0], 0);
    }
}

TEST_F(KeyDialog, TheHookIsInstalledWhileOpenAndRemovedOnEveryWayOut) {
    const QPoint ways[] = {at::save, at::cancel, at::close, at::defaults};
    int removals = 0;
    for (const QPoint way : ways) {
        open(Navigation, kHome);
        ASSERT_TRUE(hook.installed());
        EXPECT_EQ(hook.installations.back().window, dialog.get());
        EXPECT_EQ(hook.installations.back().mode, KeyHook::KeyCapture);
        click(way);
        EXPECT_FALSE(hook.installed());
        EXPECT_EQ(hook.removals, ++removals);
    }
    open(Navigation, kHome);
    dialog->close();  // closed by the system
    EXPECT_FALSE(hook.installed());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    open(Navigation, kHome);
    dialog.reset();
    EXPECT_FALSE(hook.installed());
}

TEST_F(KeyDialog, TheKeyTabClearsOnlyTheDialogsCopyOfTheRecord) {
    (*macros)[0].setName(u"Combo");
    storeMacro(0);
    open(Navigation, kHome);
    ASSERT_EQ(dialog->state().page, KeyAssignmentDialog::MacroPage);
    click(at::keyTab);
    EXPECT_EQ(dialog->state().page, KeyAssignmentDialog::KeyPage);
    EXPECT_EQ(record.type, 0);  // the copy the caller keeps only on OK
    EXPECT_EQ(record.data[0], 0);
    EXPECT_EQ(request.type, AssignmentType::SingleKey);
}

// ---- Hit tests -----------------------------------------------------------------------

struct RegionPoint {
    bool navigation;
    QPoint point;
    std::optional<KeyDialogRole> role;
};

class KeyDialogRegions : public KeyDialogTest, public ::testing::WithParamInterface<RegionPoint> {};

TEST_P(KeyDialogRegions, EdgesBelongToTheRegionAndThePixelBeyondDoesNot) {
    const RegionPoint& p = GetParam();
    open(p.navigation ? Navigation : Other, p.navigation ? kHome : kA);
    const int region = dialog->regionAt(p.point);
    if (!p.role) {
        EXPECT_EQ(region, -1);
    } else {
        ASSERT_GE(region, 0);
        EXPECT_EQ(dialog->variant().roles[static_cast<std::size_t>(region)], *p.role);
    }
}

using R = KeyDialogRole;
INSTANTIATE_TEST_SUITE_P(
    BothDialogs, KeyDialogRegions,
    ::testing::Values(
        // Close, both dialogs.
        RegionPoint{true, {303, 2}, R::Close}, RegionPoint{true, {318, 17}, R::Close},
        RegionPoint{true, {319, 17}, {}}, RegionPoint{true, {303, 18}, {}},
        RegionPoint{false, {302, 2}, {}}, RegionPoint{false, {318, 2}, R::Close},
        // The first dialog's tabs, and the gap between the macro and function tabs.
        RegionPoint{true, {0, 57}, R::KeyTab}, RegionPoint{true, {107, 31}, R::KeyTab},
        RegionPoint{true, {108, 57}, R::MacroTab}, RegionPoint{true, {215, 44}, R::MacroTab},
        RegionPoint{true, {216, 44}, {}}, RegionPoint{true, {223, 44}, {}},
        RegionPoint{true, {224, 44}, R::FunctionTab}, RegionPoint{true, {224, 58}, {}},
        // The second dialog's two tabs.
        RegionPoint{false, {162, 57}, R::KeyTab}, RegionPoint{false, {163, 57}, R::FunctionTab},
        RegionPoint{false, {325, 31}, R::FunctionTab}, RegionPoint{false, {326, 40}, {}},
        // The strip above the tabs.
        RegionPoint{true, {0, 30}, R::Strip}, RegionPoint{true, {0, 29}, {}},
        RegionPoint{false, {324, 30}, R::Strip}, RegionPoint{false, {325, 30}, {}},
        // The first dialog widens its region 6, Default; the second its toggle.
        RegionPoint{true, {151, 241}, R::Default}, RegionPoint{true, {150, 241}, {}},
        RegionPoint{true, {202, 273}, R::Default}, RegionPoint{true, {203, 273}, {}},
        RegionPoint{true, {19, 251}, R::DisableToggle}, RegionPoint{true, {18, 251}, {}},
        RegionPoint{true, {29, 260}, R::DisableToggle}, RegionPoint{true, {30, 260}, {}},
        RegionPoint{false, {14, 246}, R::DisableToggle}, RegionPoint{false, {13, 246}, {}},
        RegionPoint{false, {34, 265}, R::DisableToggle}, RegionPoint{false, {34, 266}, {}},
        RegionPoint{false, {156, 246}, R::Default}, RegionPoint{false, {155, 246}, {}},
        RegionPoint{false, {197, 268}, R::Default}, RegionPoint{false, {198, 268}, {}},
        // Cancel and Save.
        RegionPoint{true, {210, 246}, R::Cancel}, RegionPoint{true, {251, 268}, R::Cancel},
        RegionPoint{true, {252, 268}, {}}, RegionPoint{false, {210, 245}, {}},
        RegionPoint{false, {264, 246}, R::Save}, RegionPoint{false, {305, 268}, R::Save},
        RegionPoint{false, {306, 268}, {}}, RegionPoint{true, {264, 269}, {}}));

TEST(LaunchGrid, EveryCellsEdgesAreItsOwnAndThePixelsBeyondAreNot) {
    // Row by row: choice mark, label, path, browse button (left, top, right, bottom).
    const int cells[16][4] = {
        {15, 72, 25, 81},   {30, 69, 72, 84},   {83, 68, 243, 83},   {256, 68, 302, 83},
        {15, 102, 25, 111}, {30, 99, 72, 114},  {83, 98, 243, 113},  {256, 98, 302, 113},
        {15, 132, 25, 141}, {30, 129, 72, 144}, {83, 128, 243, 143}, {256, 128, 302, 143},
        {15, 162, 25, 171}, {30, 159, 72, 174}, {83, 158, 243, 173}, {256, 158, 302, 173},
    };
    for (int cell = 0; cell < 16; ++cell) {
        SCOPED_TRACE(cell);
        const auto [left, top, right, bottom] = cells[cell];
        for (const QPoint corner :
             {QPoint(left, top), QPoint(right, top), QPoint(left, bottom), QPoint(right, bottom)}) {
            EXPECT_EQ(launchCellAt(corner), cell);
        }
        for (const QPoint beyond : {QPoint(left - 1, top), QPoint(right + 1, bottom),
                                    QPoint(left, top - 1), QPoint(right, bottom + 1)}) {
            EXPECT_NE(launchCellAt(beyond), cell);
        }
    }
    EXPECT_EQ(launchCellAt(QPoint(26, 76)), -1);
    EXPECT_EQ(launchCellAt(QPoint(150, 200)), -1);
}

// ---- The launch page -----------------------------------------------------------------

class LaunchPage : public KeyDialogTest {};

TEST_F(LaunchPage, AStoredLaunchOpensItsPageAndSaveKeepsIt) {
    storeLaunch(AssignmentType::LaunchExe, u"/usr/games/arena.exe");
    open(Navigation, 57);
    EXPECT_EQ(dialog->state().page, KeyAssignmentDialog::LaunchPage);
    EXPECT_EQ(dialog->state().launchKind, 1);
    click(at::save);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(request.type, AssignmentType::LaunchExe);
    EXPECT_EQ(launchPath(), u"/usr/games/arena.exe");
}

TEST_F(LaunchPage, BrowsingAFileMakesItTheLaunchOfItsKind) {
    QTemporaryDir where;
    const std::u16string stored = (where.path() + "/old.exe").toStdU16String();
    storeLaunch(AssignmentType::LaunchExe, stored);
    open(Other, kA);
    pickers.answers = {std::nullopt, u"/home/player/notes.txt"};
    click(at::browse(2));  // cancelled: nothing changes
    EXPECT_EQ(request.type, AssignmentType::LaunchExe);
    EXPECT_EQ(launchPath(), stored);
    click(at::browse(2));
    EXPECT_EQ(request.type, AssignmentType::LaunchTxt);
    EXPECT_EQ(launchPath(), u"/home/player/notes.txt");
    EXPECT_EQ(dialog->state().launchKind, 2);
    EXPECT_EQ(dialog->state().gridMark, 8);
    ASSERT_EQ(pickers.requests.size(), 2U);
    // It starts where the key's file is, since that folder exists.
    EXPECT_EQ(pickers.requests[0].folder, where.path().toStdU16String());
    EXPECT_EQ(pickers.requests[0].filterName, u"txt Files");
    EXPECT_EQ(pickers.requests[0].filterPattern, u"*.txt");
    EXPECT_TRUE(pickers.requests[0].mustExist);
    click(at::save);
    EXPECT_EQ(request.type, AssignmentType::LaunchTxt);
}

TEST_F(LaunchPage, WithoutAnExistingFolderTheChooserStartsAtHome) {
    storeLaunch(AssignmentType::LaunchMp3, u"C:\\Program Files\\music\\a.mp3");
    open(Other, kA);
    click(at::browse(0));
    ASSERT_EQ(pickers.requests.size(), 1U);
    EXPECT_EQ(pickers.requests[0].folder, QDir::homePath().toStdU16String());
    EXPECT_EQ(pickers.requests[0].filterName, u"mp3 Files");
}

TEST_F(LaunchPage, ChoosingAKindClearsThePathAndAClickElsewhereKeepsTheKind) {
    storeLaunch(AssignmentType::LaunchExe, u"/bin/true");
    open(Other, kA);
    click(at::choice(3));
    EXPECT_EQ(dialog->state().launchKind, 3);
    EXPECT_EQ(dialog->state().gridMark, 12);
    EXPECT_EQ(launchPath(), u"");
    click(at::empty);
    EXPECT_EQ(request.type, AssignmentType::LaunchExe);
}

struct FolderCase {
    bool navigation;
    Language language;
    const char16_t* title;
    const char16_t* emptyMessage;
};

class FolderChooser : public KeyDialogTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderChooser, AnEmptyFolderIsRefusedWithTheDialogsMessage) {
    const FolderCase& c = GetParam();
    storeLaunch(AssignmentType::OpenFolder, u"/tmp");
    open(c.navigation ? Navigation : Other, c.navigation ? kHome : kA, c.language);
    pickers.answers = {u"", u"/home/player/Music"};
    click(at::browse(3));
    EXPECT_THAT(messages.shown,
                ElementsAre(c.emptyMessage + std::u16string(u" | ") +
                            (c.language == Language::Chinese ? u"TQ260 104vez星岚版"
                                                             : u"TQ260 104vez VANTOR")));
    EXPECT_EQ(pickers.requests[0].title, c.title);
    EXPECT_EQ(launchPath(), u"/tmp");
    click(at::browse(3));
    EXPECT_EQ(launchPath(), u"/home/player/Music");
    EXPECT_EQ(request.type, AssignmentType::OpenFolder);
}

INSTANTIATE_TEST_SUITE_P(
    BothDialogsBothLanguages, FolderChooser,
    ::testing::Values(FolderCase{true, Language::English, u"modification path",
                                 u"Please select a folder\n"},
                      FolderCase{true, Language::Chinese, u"modification path", u"请选择文件夹\n"},
                      FolderCase{false, Language::English, u"修改接收路径", u"请选择文件夹\n"},
                      FolderCase{false, Language::Chinese, u"修改接收路径", u"请选择文件夹\n"}));

class LongPath : public KeyDialogTest, public ::testing::WithParamInterface<Language> {};

TEST_P(LongPath, APathTooLongForTheRecordIsRefusedAndSaidSo) {
    const bool chinese = GetParam() == Language::Chinese;
    storeLaunch(AssignmentType::LaunchExe, u"/bin/true");
    open(Other, kA, GetParam());
    pickers.answers = {u"/" + std::u16string(255, u'x')};
    click(at::browse(1));
    EXPECT_THAT(messages.shown,
                ElementsAre(chinese ? u"路径过长：按键只能打开不超过 255 个字符的路径。 | "
                                      u"TQ260 104vez星岚版"
                                    : u"This path is too long: a key can open paths of at most "
                                      u"255 characters. | TQ260 104vez VANTOR"));
    EXPECT_EQ(launchPath(), u"/bin/true");
    pickers.answers = {u"/" + std::u16string(254, u'x')};
    click(at::browse(1));
    EXPECT_EQ(launchPath().size(), 255U);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LongPath,
                         ::testing::Values(Language::English, Language::Chinese),
                         testing::InLanguage());

}  // namespace
}  // namespace tq260
