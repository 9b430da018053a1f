// The macro manager on the program's skins, driven by the scripted key hook, message boxes
// and virtual time.
#include <gmock/gmock.h>

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>

#include "dialogs/macro_record_dlg.h"
#include "emulator/virtual_clock.h"
#include "macro/macro_event.h"
#include "support/language_cases.h"
#include "support/region_edges.h"
#include "support/scripted_key_hook.h"
#include "support/scripted_messages.h"

namespace tq260::testing {
namespace {

using ::testing::ElementsAre;

namespace at {
const QPoint record(330, 110);
const QPoint recordDelay(375, 175);
const QPoint loops(303, 322);
const QPoint newMacro(45, 380);
const QPoint deleteMacro(100, 380);
const QPoint ok(300, 410);
const QPoint cancel(360, 410);
const QPoint nothing(220, 30);
}  // namespace at

class MacroManagerTest : public ::testing::Test {
  protected:
    CMacroRecordDlg& open(Language language = Language::English) {
        dialog = std::make_unique<CMacroRecordDlg>(
            MacroManagerContext{applicationFolder(), language, names, hook, messages, clock});
        dialog->prepare(*table);
        dialog->show();
        return *dialog;
    }
    static QString applicationFolder() {
        return QFileInfo(QStringLiteral(TQ260_TEST_SKINS)).path() + "/";
    }
    void click(QPoint point) { QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, point); }
    QStringList rows(const CTransparentListBox* list) const {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    }
    QStringList events() const { return rows(dialog->eventList()); }
    QStringList macros() const { return rows(dialog->macroList()); }
    // Selects a row with a click and opens its in-place edit with a double click.
    void editRow(CTransparentListBox* list, int row) {
        const QPoint centre = list->rowRect(row).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
    void typeIntoEditor(CTransparentListBox* list, const QString& text,
                        Qt::Key end = Qt::Key_Return) {
        ASSERT_NE(list->editor(), nullptr);
        list->editor()->selectAll();
        QTest::keyClicks(list->editor(), text);
        QTest::keyClick(list->editor(), end);
        QCoreApplication::processEvents();
    }
    void putMacro(std::size_t index, const std::u16string& name,
                  std::initializer_list<std::uint8_t> keyString) {
        MacroRecord& r = (*table)[index];
        r.setName(name);
        r.loopCount = 1;
        std::copy(keyString.begin(), keyString.end(), r.keyEvents.begin());
        r.deviceEvents = r.keyEvents;
        for (std::size_t o = 0; macroEventAt(r.keyEvents, o); o += macroEventSize(r.keyEvents[o])) {
            r.deviceEvents[o + 1] = names.usage(r.keyEvents[o + 1]);
        }
    }
    bool closedWith(int result) const { return !dialog->isVisible() && dialog->result() == result; }

    const KeyNameTable names;
    ScriptedKeyHook hook;
    ScriptedMessages messages;
    VirtualClock clock;
    std::unique_ptr<MacroTable> table = std::make_unique<MacroTable>();
    std::unique_ptr<CMacroRecordDlg> dialog;
};

TEST_F(MacroManagerTest, OpensOnTheSkinWithItsControlsInPlace) {
    open();
    EXPECT_EQ(dialog->size(), QSize(420, 436));
    EXPECT_EQ(dialog->macroList()->geometry(), QRect(20, 80, 113, 275));
    EXPECT_EQ(dialog->eventList()->geometry(), QRect(150, 80, 113, 275));
    EXPECT_EQ(dialog->loopsField()->geometry(), QRect(296, 331, 84, 18));
    EXPECT_EQ(dialog->eventList()->listMode, CTransparentListBox::EventRows);
    EXPECT_EQ(dialog->macroList()->listMode, CTransparentListBox::PlainRows);
    EXPECT_FALSE(dialog->loopsField()->isEnabled());
    EXPECT_EQ(dialog->loopsField()->maxLength(), 3);
    EXPECT_TRUE(hook.installations.empty());
    // Enter and Escape are ordinary keys.
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog->loopsField(), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(MacroManagerTest, RecordingFromTheHookShowsEachKeyAndTheButtonSaysStop) {
    open();
    click(at::record);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"Please select a Macro file to record \n | Macro Manager"));
    EXPECT_TRUE(hook.installations.empty());

    click(at::newMacro);
    EXPECT_EQ(macros(), QStringList{"Macro_001"});
    click(at::recordDelay);
    click(at::record);
    ASSERT_TRUE(hook.installed());
    EXPECT_EQ(hook.installations.back().mode, KeyHook::MacroRecording);
    EXPECT_EQ(hook.installations.back().window, dialog.get());
    EXPECT_TRUE(dialog->editor().state().recording);
    hook.press('A');
    clock.sleepMs(80);
    hook.release('A');
    hook.type('B');
    EXPECT_EQ(events(), (QStringList{"A  dn", "80 ms", "A  up", "B  dn", "B  up"}));
    EXPECT_EQ(dialog->eventList()->currentRow(), 4);
    EXPECT_EQ((*table)[0].keyEvents[2], 0xD0);
    click(at::record);
    EXPECT_FALSE(hook.installed());
    hook.type('C');
    EXPECT_EQ(events().size(), 5);
}

TEST_F(MacroManagerTest, TheButtonsAndTicksShowTheirStates) {
    open();
    click(at::newMacro);
    const QRect tick(368, 168, 15, 15);
    const QImage off = dialog->render().copy(tick);
    click(at::recordDelay);
    EXPECT_TRUE(dialog->editor().state().recordDelay);
    EXPECT_NE(dialog->render().copy(tick), off);
    click(at::recordDelay);
    EXPECT_EQ(dialog->render().copy(tick), off);

    const QRect record(290, 100, 90, 25);
    const QImage idle = dialog->render().copy(record);
    QTest::mouseMove(dialog.get(), at::record);
    EXPECT_EQ(dialog->buttons()[0].state, 1);
    EXPECT_NE(dialog->render().copy(record), idle);
    QTest::mouseMove(dialog.get(), at::recordDelay);  // onto a tick: no hover of its own
    EXPECT_EQ(dialog->buttons()[0].state, 0);
    EXPECT_EQ(dialog->buttons()[1].state, 0);
    QTest::mouseMove(dialog.get(), at::nothing);
    EXPECT_EQ(dialog->render().copy(record), idle);

    click(at::loops);
    EXPECT_TRUE(dialog->loopsField()->isEnabled());
    dialog->loopsField()->setText("0");
    EXPECT_EQ(dialog->loopsField()->text(), "1");
    dialog->loopsField()->selectAll();
    QTest::keyClicks(dialog->loopsField(), "25");
    EXPECT_EQ((*table)[0].loopCount, 25);
    click(at::loops);
    EXPECT_FALSE(dialog->loopsField()->isEnabled());
    EXPECT_EQ(dialog->loopsField()->text(), "1");
}

TEST_F(MacroManagerTest, NewStopsAtSixAndDeleteAsksFirst) {
    open(Language::Chinese);
    for (int i = 0; i < 7; ++i) click(at::newMacro);
    EXPECT_EQ(macros().size(), 6);
    EXPECT_THAT(messages.shown, ElementsAre(u"宏定义不能超过6个 | TQ260 104vez星岚版"));
    messages.shown.clear();

    messages.answers = {false};
    click(at::deleteMacro);
    EXPECT_EQ(macros().size(), 6);
    messages.answers = {true};
    click(at::deleteMacro);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"确定要删除吗? | 宏管理器", u"确定要删除吗? | 宏管理器"));
    EXPECT_EQ(macros().size(), 5);
    EXPECT_EQ(dialog->macroList()->currentRow(), 4);  // the new last
    EXPECT_TRUE((*table)[5].isFree());
}

TEST_F(MacroManagerTest, DeleteWithNothingSelectedSaysSo) {
    open();
    messages.answers = {true};
    click(at::deleteMacro);
    EXPECT_THAT(messages.shown,
                ElementsAre(u"Confirm to delete? | Macro Manager",
                            u"Please select a Macro file to delete\n | Macro Manager"));
}

TEST_F(MacroManagerTest, ClickingAnotherMacroShowsItsEvents) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    putMacro(1, u"Sprint", {0x01, 0x42, 0xB2, 0x42});
    (*table)[1].loopCount = 12;
    open();
    EXPECT_EQ(macros(), (QStringList{"Combo", "Sprint"}));
    EXPECT_EQ(events(), (QStringList{"A  dn", "A  up"}));
    QTest::mouseClick(dialog->macroList()->viewport(), Qt::LeftButton, {},
                      dialog->macroList()->rowRect(1).center());
    EXPECT_EQ(events(), (QStringList{"B  dn", "50 ms", "B  up"}));
    EXPECT_EQ(dialog->loopsField()->text(), "12");
    EXPECT_TRUE(dialog->loopsField()->isEnabled());
}

TEST_F(MacroManagerTest, TheSelectedMacroStaysSelectedWhenTheListIsClickedBesideIt) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    open();
    QTest::mouseClick(dialog->macroList()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      dialog->macroList()->rowRect(0).center());
    QTest::mouseClick(dialog->macroList()->viewport(), Qt::LeftButton, {}, QPoint(50, 200));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->macroList()->selectedItems().size(), 1);
    EXPECT_EQ(dialog->macroList()->currentRow(), 0);
}

TEST_F(MacroManagerTest, NoButtonStaysLitWhenThePointerLeavesIt) {
    open();
    QTest::mouseMove(dialog.get(), at::newMacro);
    ASSERT_EQ(dialog->buttons()[3].state, 1);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(dialog->macroList(), &enter);  // straight onto a list
    EXPECT_EQ(dialog->buttons()[3].state, 0);
    QTest::mouseMove(dialog.get(), at::ok);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(dialog.get(), &leave);
    EXPECT_EQ(dialog->buttons()[5].state, 0);
}

// Tab, Space and Escape alone: a macro is made and recorded, and the keys that drive the
// window stay out of it; a recording the mouse began takes Escape like any key.
TEST_F(MacroManagerTest, AMacroIsRecordedWithTheKeyboardAlone) {
    open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    const auto focused = [] {
        const QWidget* w = QApplication::focusWidget();
        if (const auto* stop = dynamic_cast<const FocusStopWidget*>(w)) return stop->stop().id;
        return w != nullptr ? w->accessibleName() : QString();
    };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QCoreApplication::processEvents();
    };
    // The list has the focus from the start, and no mark until a key is used.
    const QRect first = dialog->macroList()->geometry();
    EXPECT_NE(dialog->render().pixelColor(first.left() - 4, first.center().y()),
              QColor(0, 255, 255));
    std::vector<QString> order{focused()};
    for (int i = 0; i < 8; ++i) {
        press(Qt::Key_Tab);
        order.push_back(focused());
    }
    EXPECT_EQ(order,
              (std::vector<QString>{"Select Macro", "Keystroke Sequence", "record", "record-delay",
                                    "loops", "new", "delete", "ok", "cancel"}));
    press(Qt::Key_Backtab);
    press(Qt::Key_Backtab);
    press(Qt::Key_Backtab);
    ASSERT_EQ(focused(), "new");
    press(Qt::Key_Space);
    EXPECT_EQ(macros(), QStringList{"Macro_001"});

    // The mark around a real control, where the keyboard put the focus.
    for (int i = 0; i < 4; ++i) press(Qt::Key_Backtab);
    ASSERT_EQ(focused(), "Keystroke Sequence");
    const QRect list = dialog->eventList()->geometry();
    EXPECT_EQ(dialog->render().pixelColor(list.left() - 4, list.center().y()), QColor(0, 255, 255));

    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), "record");
    press(Qt::Key_Space);
    ASSERT_TRUE(dialog->editor().state().recording);
    hook.release(0x20);  // the Space that began it
    hook.type('A');
    hook.type(0x1B);
    EXPECT_FALSE(dialog->editor().state().recording);
    EXPECT_FALSE(hook.installed());
    EXPECT_EQ(events(), (QStringList{"A  dn", "A  up"}));
    EXPECT_EQ(focused(), "record");
    EXPECT_EQ(dialog->focusStops().find("record")->stop().name, "Start Recording");

    // The mark goes at the first press of the mouse.
    const QPoint besideRecord(288, 112);
    EXPECT_EQ(dialog->render().pixelColor(besideRecord), QColor(0, 255, 255));
    click(at::record);
    EXPECT_NE(dialog->render().pixelColor(besideRecord), QColor(0, 255, 255));
    hook.type(0x1B);
    EXPECT_TRUE(dialog->editor().state().recording);
    EXPECT_EQ(events().size(), 2);

    // The line menu opens from the keyboard too.
    click(at::record);
    dialog->eventList()->setFocus(Qt::TabFocusReason);
    bool menuShown = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        menuShown = dialog->contextMenu()->isVisible();
        dialog->contextMenu()->close();
    });
    press(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(menuShown);
}

TEST_F(MacroManagerTest, AnArmedInsertionSaysSo) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    open();
    // The hint is drawn in the selected rows' cyan under the lists.
    const auto cyanUnderTheLists = [&] {
        const QImage picture = dialog->render().copy(QRect(20, 400, 250, 20));
        int cyan = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                cyan += c.red() < 60 && c.green() > 200 && c.blue() > 200 ? 1 : 0;
            }
        }
        return cyan;
    };
    EXPECT_EQ(cyanUnderTheLists(), 0);
    dialog->eventList()->setCurrentRow(0);
    dialog->runMenuCommand(kInsertBeforeCommand);
    EXPECT_GT(cyanUnderTheLists(), 20);
    hook.type('B');
    EXPECT_EQ(cyanUnderTheLists(), 0);
}

TEST_F(MacroManagerTest, RenamingInPlaceStopsRecordingAndRefusesABlankName) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    open();
    click(at::record);
    ASSERT_TRUE(hook.installed());
    editRow(dialog->macroList(), 0);
    EXPECT_FALSE(hook.installed());  // before the editor opened
    EXPECT_FALSE(dialog->editor().state().recording);
    typeIntoEditor(dialog->macroList(), "   ");
    EXPECT_EQ(macros(), QStringList{"Combo"});
    EXPECT_EQ((*table)[0].nameText(), u"Combo");

    editRow(dialog->macroList(), 0);
    typeIntoEditor(dialog->macroList(), "Sprint");
    EXPECT_EQ(macros(), QStringList{"Sprint"});
    EXPECT_EQ((*table)[0].nameText(), u"Sprint");
}

TEST_F(MacroManagerTest, EditingADelayInPlace) {
    putMacro(0, u"Combo", {0x01, 0x41, 0xB2, 0x41});
    open();
    editRow(dialog->eventList(), 0);  // a key line: no editor
    EXPECT_EQ(dialog->eventList()->editor(), nullptr);
    editRow(dialog->eventList(), 1);
    ASSERT_NE(dialog->eventList()->editor(), nullptr);
    EXPECT_EQ(dialog->eventList()->editor()->text(), "50");
    typeIntoEditor(dialog->eventList(), "200");
    EXPECT_EQ(events(), (QStringList{"A  dn", "200 ms", "A  up"}));
    EXPECT_THAT(std::vector<std::uint8_t>((*table)[0].deviceEvents.begin(),
                                          (*table)[0].deviceEvents.begin() + 7),
                ElementsAre(0x01, 0x04, 0xFF, 0x04, 0x00, 0xC8, 0x00));
}

TEST_F(MacroManagerTest, TheContextMenuOpensOnTheRightButtonInBothLanguages) {
    putMacro(0, u"Combo", {0x01, 0x41, 0xB2, 0x41});
    for (const Language language : {Language::English, Language::Chinese}) {
        open(language);
        QStringList labels;
        for (const QAction* action : dialog->contextMenu()->actions()) labels << action->text();
        EXPECT_EQ(labels,
                  language == Language::English
                      ? QStringList({"Insert Before", "Insert After", "Insert Delay", "Delete"})
                      : QStringList({"在之前开始录入", "在之后开始录入", "插入延迟", "删除"}));
    }
    dialog->eventList()->setCurrentRow(1);  // the delay line
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        shown = popup == dialog->contextMenu();
        if (popup == nullptr) return;
        dialog->contextMenu()->actions().at(2)->trigger();  // Insert Delay
        popup->close();
    });
    QTest::mousePress(dialog->eventList()->viewport(), Qt::RightButton, {},
                      dialog->eventList()->rowRect(2).center());
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialog->eventList()->currentRow(), 1);  // the right button selects nothing
    EXPECT_THAT(messages.shown, ElementsAre(u"请直接编辑当前的延迟\n | 宏管理器"));
}

TEST_F(MacroManagerTest, InsertAfterTakesTheNextPressAndRelease) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    open();
    dialog->eventList()->setCurrentRow(0);
    dialog->runMenuCommand(kInsertAfterCommand);
    ASSERT_TRUE(hook.installed());
    hook.type('B');
    EXPECT_FALSE(hook.installed());
    EXPECT_EQ(events(), (QStringList{"A  dn", "B  dn", "B  up", "A  up"}));
    dialog->eventList()->setCurrentRow(1);
    dialog->runMenuCommand(kDeleteLineCommand);
    EXPECT_EQ(events(), (QStringList{"A  dn", "B  up", "A  up"}));
    dialog->eventList()->setCurrentRow(0);
    dialog->runMenuCommand(kInsertDelayCommand);
    EXPECT_EQ(events(), (QStringList{"A  dn", "50 ms", "B  up", "A  up"}));
}

TEST_F(MacroManagerTest, WhatTheKeyboardCannotHoldIsShownAndAskedAboutAtOk) {
    MacroRecord& r = (*table)[0];
    r.setName(u"Long");
    for (std::size_t o = 0; o < 130; o += 2) {
        r.keyEvents[o] = r.deviceEvents[o] = 0x01;
        r.keyEvents[o + 1] = 'A';
        r.deviceEvents[o + 1] = 0x04;
    }
    open();
    EXPECT_EQ(dialog->eventList()->mutedFrom(), 63);
    messages.answers = {false};
    click(at::ok);
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_NE(messages.shown[0].find(u"Long"), std::u16string::npos);
    EXPECT_TRUE(dialog->isVisible());  // back to shorten it
    messages.answers = {true};
    click(at::ok);
    EXPECT_TRUE(closedWith(QDialog::Accepted));
}

TEST_F(MacroManagerTest, TheHookGoesWithEveryWayOut) {
    putMacro(0, u"Combo", {0x01, 0x41, 0x81, 0x41});
    const auto wayOut = [&](auto&& leave, int result) {
        open();
        click(at::record);
        ASSERT_TRUE(hook.installed());
        leave();
        EXPECT_FALSE(hook.installed());
        if (result >= 0) {
            EXPECT_TRUE(closedWith(result));
        }
    };
    wayOut([&] { click(at::ok); }, QDialog::Accepted);
    wayOut([&] { click(at::cancel); }, QDialog::Rejected);
    wayOut([&] { dialog->close(); }, QDialog::Rejected);
    wayOut([&] { dialog.reset(); }, -1);
    wayOut([&] { click(at::newMacro); }, -1);
    messages.answers = {true};
    wayOut([&] { click(at::deleteMacro); }, -1);
}

TEST_F(MacroManagerTest, OkKeepsTheLoopCountAndCancelKeepsTheTable) {
    open();
    click(at::newMacro);
    click(at::loops);
    dialog->loopsField()->setText("7");
    click(at::ok);
    EXPECT_TRUE(closedWith(QDialog::Accepted));
    EXPECT_EQ((*table)[0].loopCount, 7);
}

// The seven hot areas, edges included: Record, the two ticks, New, Delete, OK, Cancel.
TEST_F(MacroManagerTest, EveryHotAreasEdgesCountAndThePixelOutsideDoesNot) {
    const CMacroRecordDlg& shown = open();
    const testing::HitRegion areas[] = {{0, 290, 100, 379, 124}, {1, 368, 168, 382, 182},
                                        {2, 296, 315, 310, 329}, {3, 20, 368, 77, 392},
                                        {4, 80, 368, 137, 392},  {5, 280, 400, 337, 424},
                                        {6, 340, 400, 397, 424}};
    for (const testing::HitRegion& r : areas) {
        testing::expectEdges([&](QPoint p) { return shown.hotAreaAt(p); }, r,
                             "hot area " + std::to_string(r.code));
    }
}

// Every message box of the macro manager, text and caption, in both languages.
class ManagerMessages;

struct ManagerMessage {
    const char* name;
    std::function<void(ManagerMessages&)> prepare;  // before the dialog opens
    std::function<void(ManagerMessages&)> show;     // on the open dialog
    const char16_t* english;
    const char16_t* chinese;
};

void PrintTo(const ManagerMessage& m, std::ostream* out) {
    *out << m.name;
}

class ManagerMessages : public MacroManagerTest,
                        public ::testing::WithParamInterface<std::tuple<ManagerMessage, Language>> {
  public:
    using MacroManagerTest::click;
    using MacroManagerTest::dialog;
    using MacroManagerTest::messages;
    using MacroManagerTest::putMacro;
    using MacroManagerTest::table;
};

TEST_P(ManagerMessages, TextAndCaptionInTheDialogsLanguage) {
    const auto& [m, language] = GetParam();
    if (m.prepare) m.prepare(*this);
    open(language);
    m.show(*this);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back(), language == Language::Chinese ? m.chinese : m.english);
}

const ManagerMessage kManagerMessages[] = {
    {"RecordWithoutAMacro",
     {},
     [](ManagerMessages& t) { t.click(at::record); },
     u"Please select a Macro file to record \n | Macro Manager",
     u"请先选择要录制的宏\n | 宏管理器"},
    {"SeventhMacro",
     {},
     [](ManagerMessages& t) {
         for (int i = 0; i < 7; ++i) t.click(at::newMacro);
     },
     u"宏定义不能超过6个 | TQ260 104vez VANTOR",
     u"宏定义不能超过6个 | TQ260 104vez星岚版"},
    {"DeleteQuestion",
     {},
     [](ManagerMessages& t) {
         t.click(at::newMacro);
         t.messages.answers = {false};
         t.click(at::deleteMacro);
     },
     u"Confirm to delete? | Macro Manager",
     u"确定要删除吗? | 宏管理器"},
    {"DeleteWithoutAMacro",
     {},
     [](ManagerMessages& t) {
         t.messages.answers = {true};
         t.click(at::deleteMacro);
     },
     u"Please select a Macro file to delete\n | Macro Manager",
     u"请选择要删除的宏\n | 宏管理器"},
    {"InsertDelayOnADelay",
     [](ManagerMessages& t) {
         t.putMacro(0, u"Combo", {0x01, 0x41, 0xB2, 0x41});
     },
     [](ManagerMessages& t) {
         t.dialog->eventList()->setCurrentRow(1);
         t.dialog->runMenuCommand(kInsertDelayCommand);
     },
     u"Please edit current delay\n | Macro Manager", u"请直接编辑当前的延迟\n | 宏管理器"},
    {"TooLongForTheKeyboard",
     [](ManagerMessages& t) {
         MacroRecord& r = (*t.table)[0];
         r.setName(u"Long");
         for (std::size_t o = 0; o < 130; o += 2) {
             r.keyEvents[o] = r.deviceEvents[o] = 0x01;
             r.keyEvents[o + 1] = 'A';
             r.deviceEvents[o + 1] = 0x04;
         }
     },
     [](ManagerMessages& t) {
         t.messages.answers = {false};
         t.click(at::ok);
     },
     u"The keyboard holds 126 bytes of events per macro. These macros are longer, so the "
     u"keyboard stops each one early:\nLong\nKeep them as they are? | Macro Manager",
     u"键盘中每个宏最多保存 126 字节的按键动作。以下宏超出此长度，键盘只会播放其前面部分："
     u"\nLong\n仍然保存吗? | 宏管理器"},
};

INSTANTIATE_TEST_SUITE_P(MacroManager, ManagerMessages,
                         ::testing::Combine(::testing::ValuesIn(kManagerMessages),
                                            ::testing::Values(Language::English,
                                                              Language::Chinese)),
                         testing::CaseInLanguage());

}  // namespace
}  // namespace tq260::testing
