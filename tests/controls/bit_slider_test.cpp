#include "controls/bit_slider.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include "message_recorder.h"

namespace tq260 {
namespace {

using testing::MessageRecorder;

class BitSlider : public ::testing::Test {
  protected:
    BitSlider() {
        slider->createThumbWindow();
        slider->loadChannelStrips();
        slider->notifyId = 1010;
        slider->move(28, 300);
    }

    void press(int x) {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(x, 8),
                         slider->mapToGlobal(QPointF(x, 8)), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(slider, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(x, 8),
                       slider->mapToGlobal(QPointF(x, 8)), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(slider, &up);
    }

    void move(int x, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent motion(QEvent::MouseMove, QPointF(x, 8), slider->mapToGlobal(QPointF(x, 8)),
                           Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(slider, &motion);
    }

    MessageRecorder window;
    CBitSlider* slider = new CBitSlider(&window);
};

TEST_F(BitSlider, LoadingTheStripsSizesTheSliderToTheChannelWithoutMovingIt) {
    EXPECT_EQ(slider->size(), QSize(220, 17));
    EXPECT_EQ(slider->pos(), QPoint(28, 300));
    ASSERT_NE(slider->channelStripA(), nullptr);
    EXPECT_EQ(slider->channelStripA()->frameCount(), 1);
    EXPECT_EQ(slider->thumbWindow()->size(), QSize(15, 14));
    EXPECT_FALSE(slider->thumbWindow()->isVisible());
}

TEST_F(BitSlider, ClickJumpsToTheNearestPositionRoundingHalfUp) {
    slider->setRange(0, 3);
    press(55);  // exactly 0.75 of a step: rounds up
    EXPECT_EQ(slider->value(), 1);
    press(0);
    EXPECT_EQ(slider->value(), 0);
    press(219);
    EXPECT_EQ(slider->value(), 3);
    press(-30);  // left of the channel: the slider keeps to its minimum
    EXPECT_EQ(slider->value(), 0);

    slider->setRange(0, 2);
    press(55);  // exactly half a step
    EXPECT_EQ(slider->value(), 1);
    press(54);
    EXPECT_EQ(slider->value(), 0);
}

TEST_F(BitSlider, DraggingFollowsTheMouse) {
    slider->setRange(0, 50);
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(10, 8), QPointF(10, 8), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &down);
    move(110, Qt::LeftButton);
    EXPECT_EQ(slider->value(), 25);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(110, 8), QPointF(110, 8), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &up);
    move(200);
    EXPECT_EQ(slider->value(), 25);  // released: moving no longer drags
}

TEST_F(BitSlider, TheWheelChangesNothing) {
    slider->setRange(0, 9);
    slider->setValue(4);
    QWheelEvent wheel(QPointF(50, 8), slider->mapToGlobal(QPointF(50, 8)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    EXPECT_TRUE(wheel.isAccepted());
    EXPECT_EQ(slider->value(), 4);
}

TEST_F(BitSlider, EveryMouseMoveSendsOneMessageEvenWithoutAChange) {
    slider->setRange(0, 3);
    move(10);
    move(11);
    move(11);
    const auto messages = window.of(WM_SLIDER_CHANGED);
    ASSERT_EQ(messages.size(), 3U);
    EXPECT_EQ(messages[0], (testing::ReceivedMessage{WM_SLIDER_CHANGED, 1010, 0}));
    EXPECT_EQ(slider->value(), 0);
}

TEST_F(BitSlider, ThumbReportPlacesThePictureAtThePosition) {
    slider->setRange(0, 50);
    slider->setValue(50);
    slider->thumbOffset = 3;
    move(0);
    // The picture runs from the channel's left edge to 220 - 15.
    EXPECT_EQ(slider->thumbX(), 205);
    EXPECT_EQ(slider->thumbY(), 3);
    slider->setValue(25);
    move(0);
    EXPECT_EQ(slider->thumbX(), 102);
    slider->setValue(0);
    move(0);
    EXPECT_EQ(slider->thumbX(), 0);
}

TEST_F(BitSlider, PaintingReportsTheThumbAndDrawsNothing) {
    window.show();
    slider->setRange(0, 3);
    window.received.clear();
    const QImage picture = slider->grab().toImage();
    EXPECT_FALSE(window.of(WM_SLIDER_CHANGED).empty());
    EXPECT_FALSE(slider->thumbWindow()->isVisible());
    EXPECT_EQ(picture.size(), QSize(220, 17));
}

}  // namespace
}  // namespace tq260
