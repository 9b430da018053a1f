#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "controls/item_navigation.h"

namespace tq260 {

// One thing inside a focus stop that the arrow keys move between: a key of the keyboard
// picture, a row of a painted list.
struct FocusItem {
    QRect rect;  // window coordinates
    int row = 0;
    QString name;
    QAccessible::Role role = QAccessible::ListItem;
    bool selected = false;
};

// A place of a painted window the keyboard reaches with Tab and a screen reader names: a
// hot area, or a group of items (the keyboard picture, an open list). A real control of the
// window may stand in the list too, so the order covers both.
struct FocusStop {
    // Stays the same across repaints, so the focus stays where it is.
    QString id;
    QRect rect;  // window coordinates
    QString name;
    QString description;
    QAccessible::Role role = QAccessible::Button;
    std::optional<bool> checked;   // a tick box or a choice
    std::optional<bool> expanded;  // a section header, a button that opens a list
    bool selected = false;         // the current tab
    QString value;
    std::function<void()> activate;

    std::vector<FocusItem> items;
    int currentItem = -1;
    // The arrows moved to the item: the window marks it as the mouse would. -1 when the focus
    // leaves the stop.
    std::function<void(int)> itemFocused;
    std::function<void(int)> activateItem;
    // Escape: closes what the stop is (an open list). Unset, Escape does nothing here.
    std::function<void()> escape;
    // An open list: it takes the focus when it appears, and gives it back to this stop when
    // it goes.
    bool takesFocus = false;
    QString returnFocusTo;

    // A real control in this place of the order instead of a painted one.
    QWidget* widget = nullptr;
    // The control draws its own focus mark; else a frame under it shows one.
    bool marksItself = false;
};

// A real control's place in the order, known by its accessible name.
FocusStop controlStop(QWidget* control, bool marksItself = false);

class FocusStops;

// The keyboard's and the screen reader's handle on one painted place: an invisible child
// over it that takes the focus, draws the focus mark in the skin's colours, and turns Space
// and Enter into the place's action. The mouse goes through it to the window as before.
class FocusStopWidget final : public QWidget {
  public:
    FocusStopWidget(FocusStops& owner, QWidget* window);

    const FocusStop& stop() const { return stop_; }
    void setStop(FocusStop stop);
    // Drops the stop's actions, which call into a window that is going.
    void forget() { stop_ = FocusStop{}; }
    // The place's action, as Space or Enter or a screen reader's press runs it.
    void press();
    void pressItem(int index);
    // Moves the focus within the stop to the item, as the arrows do.
    void focusItem(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void tellItemFocus();

    FocusStops& owner_;
    FocusStop stop_;
};

// The focus stops of one painted window: made, moved, shown and hidden as the window's state
// asks, in the order given (reading order), keeping the focus on the stop it was on.
class FocusStops final : public QObject {
  public:
    using Builder = std::function<std::vector<FocusStop>()>;
    // build gives the stops for the window's state now.
    FocusStops(QWidget* window, Builder build);

    // Brings the stops up to date with the window's state.
    void sync();
    // The window is going: no stop calls into it any more. Its destructor calls this first.
    void release();
    // A sync once the window's events are done (after a paint: a change the mouse made).
    void syncSoon();
    FocusStopWidget* find(const QString& id) const;
    // Brings the stops up to date and puts the focus on the stop, if it is there.
    void focusOn(const QString& id);
    // The stop with the focus, if one has it.
    FocusStopWidget* focused() const;
    const std::vector<FocusStopWidget*>& widgets() const { return widgets_; }
    // The mark shows while the keyboard is in use: from a key in the window until the mouse
    // is pressed there, so nothing changes for someone who only uses the mouse.
    bool markShown() const { return keyboardInUse_; }
    void keyboardUsed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refreshMarks();
    // The mark around a real control in the order, drawn by a frame just under it.
    void markControl();

    QWidget* window_;
    QWidget* controlMark_ = nullptr;
    std::vector<QWidget*> controls_;
    Builder build_;
    std::vector<FocusStopWidget*> widgets_;
    std::vector<QString> order_;
    std::vector<QWidget*> chain_;
    bool syncQueued_ = false;
    bool syncing_ = false;
    bool keyboardInUse_ = false;
};

// The focus mark of the skins: drawn around a rectangle.
void drawFocusMark(QPainter& painter, const QRect& around);

}  // namespace tq260
