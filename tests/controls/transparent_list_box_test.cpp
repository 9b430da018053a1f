#include "controls/transparent_list_box.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "message_recorder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MessageRecorder;
using testing::ReceivedMessage;

class TransparentListBox : public ::testing::Test {
  protected:
    void SetUp() override {
        list->configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
        list->setGeometry(20, 20, 113, 275);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void fill(std::initializer_list<const char*> rows) {
        for (const char* row : rows) list->addRow(QString::fromUtf8(row));
    }

    // Selects the row and double-clicks it.
    void openEditor(int row) {
        list->setCurrentRow(row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(row).center());
    }

    void typeAndRelease(const QString& text, Qt::Key key) {
        ASSERT_NE(list->editor(), nullptr);
        list->editor()->setText(text);
        QTest::keyRelease(list->editor(), key);
    }

    MessageRecorder window;
    CTransparentListBox* list = new CTransparentListBox(&window);
};

TEST_F(TransparentListBox, DelayRowOpensAnEditorHoldingOnlyTheDigits) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn", "120 ms", "A  up"});
    openEditor(1);
    ASSERT_NE(list->editor(), nullptr);
    EXPECT_EQ(list->editor()->text(), "120");
    EXPECT_EQ(list->editedRow(), 1);
    EXPECT_THAT(window.of(WM_LIST_EDIT_BEGIN),
                ElementsAre(ReceivedMessage{WM_LIST_EDIT_BEGIN, 0, 0}));
    // Digits only.
    QTest::keyClicks(list->editor(), "4x-");
    EXPECT_EQ(list->editor()->text(), "4");
}

TEST_F(TransparentListBox, KeyRowsOpenNoEditor) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn", "120 ms", "A  up"});
    openEditor(0);
    EXPECT_EQ(list->editor(), nullptr);
    openEditor(2);
    EXPECT_EQ(list->editor(), nullptr);
    EXPECT_TRUE(window.of(WM_LIST_EDIT_BEGIN).empty());
}

TEST_F(TransparentListBox, CommittedDelaysAreKeptWithin2To60000) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn", "120 ms", "A  up"});
    for (const auto& [typed, value] :
         {std::pair{"0", 2}, std::pair{"", 2}, std::pair{"70000", 60000}, std::pair{"350", 350}}) {
        window.received.clear();
        openEditor(1);
        typeAndRelease(QString::fromLatin1(typed), Qt::Key_Return);
        EXPECT_THAT(window.of(WM_LIST_ITEM_EDITED),
                    ElementsAre(ReceivedMessage{WM_LIST_ITEM_EDITED, 1, value}))
            << typed;
        EXPECT_EQ(list->item(1)->text(), QStringLiteral("%1 ms").arg(value));
        EXPECT_EQ(list->editor(), nullptr);
    }
}

TEST_F(TransparentListBox, UnchangedDelayIsStillReported) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn", "120 ms", "A  up"});
    openEditor(1);
    typeAndRelease("120", Qt::Key_Return);
    EXPECT_THAT(window.of(WM_LIST_ITEM_EDITED),
                ElementsAre(ReceivedMessage{WM_LIST_ITEM_EDITED, 1, 120}));
}

TEST_F(TransparentListBox, RenameInTheSortedListReportsOldAndNewIndex) {
    list->listMode = CTransparentListBox::RenameRows;
    list->setSorted(true);
    fill({"Arena", "Default", "Office"});
    openEditor(0);
    typeAndRelease("Zone", Qt::Key_Return);
    EXPECT_THAT(window.of(WM_LIST_ITEM_EDITED),
                ElementsAre(ReceivedMessage{WM_LIST_ITEM_EDITED, 0, 2}));
    EXPECT_EQ(list->item(2)->text(), "Zone");
    EXPECT_EQ(list->currentRow(), 2);
}

TEST_F(TransparentListBox, EscapeCancelsAndReportsNothing) {
    list->listMode = CTransparentListBox::RenameRows;
    list->setSorted(true);
    fill({"Arena", "Default"});
    openEditor(1);
    typeAndRelease("Changed", Qt::Key_Escape);
    EXPECT_TRUE(window.of(WM_LIST_ITEM_EDITED).empty());
    EXPECT_EQ(list->item(1)->text(), "Default");
    EXPECT_EQ(list->editor(), nullptr);
}

TEST_F(TransparentListBox, RenameInTheUnsortedListKeepsTheRowAndReportsNothing) {
    list->listMode = CTransparentListBox::PlainRows;
    fill({"Combo", "Reload"});
    openEditor(0);
    typeAndRelease("Alpha", Qt::Key_Return);
    EXPECT_EQ(list->item(0)->text(), "Alpha");
    EXPECT_TRUE(window.of(WM_LIST_ITEM_EDITED).empty());
}

TEST_F(TransparentListBox, TheWheelCommitsAnOpenEdit) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn", "120 ms", "A  up"});
    openEditor(1);
    list->editor()->setText("300");
    QWheelEvent wheel(QPointF(10, 10), list->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list->viewport(), &wheel);
    EXPECT_EQ(list->editor(), nullptr);
    EXPECT_EQ(list->item(1)->text(), "300 ms");
}

TEST_F(TransparentListBox, LosingTheFocusCommits) {
    list->listMode = CTransparentListBox::PlainRows;
    fill({"Combo"});
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(200, 20, 50, 20);
    other->show();
    openEditor(0);
    list->editor()->setText("Sprint");
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list->editor(), nullptr);
    EXPECT_EQ(list->item(0)->text(), "Sprint");
}

TEST_F(TransparentListBox, DisabledListDrawsBlackTextOnAWhiteShadow) {
    list->configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 3, Qt::black);
    fill({"WWWWWW"});
    list->setEnabled(false);
    const QImage picture = list->viewport()->grab().toImage();
    int black = 0;
    int white = 0;
    for (int y = 0; y < list->rowHeight(); ++y) {
        for (int x = 0; x < 60; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            black += pixel == qRgb(0, 0, 0);
            white += pixel == qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(black, 20);
    EXPECT_GT(white, 20);
}

TEST_F(TransparentListBox, EventRowsShowTheirIconsAndLoseTheirMarks) {
    list->listMode = CTransparentListBox::EventRows;
    fill({"A  dn"});
    const QImage without = list->viewport()->grab().toImage();
    // The icon sits 20 pixels from the right edge; the text "A" at the left.
    const QRect iconArea(list->viewport()->width() - 20, 0, 10, 14);
    bool iconDrawn = false;
    for (int y = iconArea.top(); y <= iconArea.bottom(); ++y) {
        for (int x = iconArea.left(); x <= iconArea.right(); ++x) {
            const QColor c = without.pixelColor(x, y);
            iconDrawn = iconDrawn || (c.blue() > 150 && c.red() < 120);  // the cyan arrow
        }
    }
    EXPECT_TRUE(iconDrawn);
}

}  // namespace
}  // namespace tq260
