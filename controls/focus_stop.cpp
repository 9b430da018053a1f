#include "controls/focus_stop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "controls/focus_stop_accessible.h"

namespace tq260 {

namespace {

// The mark is drawn this far outside the place it marks.
constexpr int kMarkMargin = 3;
const QColor kMarkColour(0x00, 0xff, 0xff);
const QColor kMarkHalo(0x00, 0x00, 0x00, 0xb0);

std::optional<ArrowKey> arrowOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Left:
            return ArrowKey::Left;
        case Qt::Key_Right:
            return ArrowKey::Right;
        case Qt::Key_Up:
            return ArrowKey::Up;
        case Qt::Key_Down:
            return ArrowKey::Down;
        case Qt::Key_Home:
            return ArrowKey::First;
        case Qt::Key_End:
            return ArrowKey::Last;
        default:
            return std::nullopt;
    }
}

bool activates(const QKeyEvent& event) {
    return event.key() == Qt::Key_Space || event.key() == Qt::Key_Return ||
           event.key() == Qt::Key_Enter;
}

}  // namespace

void drawFocusMark(QPainter& painter, const QRect& around) {
    const QRect outer = around.adjusted(-2, -2, 2, 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // A dark halo keeps the mark readable on the bright parts of the skin.
    painter.setPen(QPen(kMarkHalo, 1));
    painter.drawRect(outer.adjusted(-1, -1, 1, 1));
    painter.setPen(QPen(kMarkColour, 1, Qt::SolidLine));
    painter.drawRect(outer);
    painter.drawRect(outer.adjusted(1, 1, -1, -1));
    painter.restore();
}

FocusStop controlStop(QWidget* control, bool marksItself) {
    FocusStop stop;
    stop.id = control->accessibleName();
    stop.widget = control;
    stop.marksItself = marksItself;
    return stop;
}

// ---- One stop ----------------------------------------------------------------------------

FocusStopWidget::FocusStopWidget(FocusStops& owner, QWidget* window)
    : QWidget(window), owner_(owner) {
    installFocusStopAccessibility();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::TabFocus);
    hide();
}

void FocusStopWidget::setStop(FocusStop stop) {
    const FocusStop before = std::exchange(stop_, std::move(stop));
    const QRect area = stop_.rect.adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin, kMarkMargin);
    if (geometry() != area) setGeometry(area);
    if (isHidden()) show();
    if (before.currentItem != stop_.currentItem || before.rect != stop_.rect) update();
    tellAccessibleChanges(this, before, stop_);
}

void FocusStopWidget::press() {
    owner_.keyboardUsed();
    // The action may open a dialog, during which the stops change: it runs from a copy.
    const auto action = stop_.activate;
    if (action) action();
    owner_.sync();
}

void FocusStopWidget::pressItem(int index) {
    if (index < 0 || index >= static_cast<int>(stop_.items.size())) return;
    const auto action = stop_.activateItem;
    if (action) action(index);
    owner_.sync();
}

void FocusStopWidget::focusItem(int index) {
    if (index < 0 || index >= static_cast<int>(stop_.items.size())) return;
    stop_.currentItem = index;
    const auto told = stop_.itemFocused;
    if (told) told(index);
    update();
    tellItemFocus();
    owner_.sync();
}

void FocusStopWidget::tellItemFocus() {
    if (!hasFocus() || stop_.currentItem < 0) return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(stop_.currentItem);
    QAccessible::updateAccessibility(&focus);
}

void FocusStopWidget::paintEvent(QPaintEvent*) {
    if (!hasFocus() || !owner_.markShown()) return;
    QPainter painter(this);
    const QPoint origin = geometry().topLeft();
    const auto item = static_cast<std::size_t>(stop_.currentItem);
    QRect marked = item < stop_.items.size() ? stop_.items[item].rect : stop_.rect;
    // A place at the window's edge is marked just inside it, so the mark shows whole.
    if (parentWidget() != nullptr) {
        marked &=
            parentWidget()->rect().adjusted(kMarkMargin, kMarkMargin, -kMarkMargin, -kMarkMargin);
    }
    drawFocusMark(painter, marked.translated(-origin));
}

void FocusStopWidget::keyPressEvent(QKeyEvent* event) {
    owner_.keyboardUsed();
    const bool hasItems = !stop_.items.empty();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers != Qt::NoModifier) {
        event->ignore();
        return;
    }
    if (activates(*event) && !event->isAutoRepeat()) {
        if (!hasItems) {
            press();
        } else if (stop_.currentItem >= 0) {
            pressItem(stop_.currentItem);
        } else {
            focusItem(0);
        }
        return;
    }
    if (const auto arrow = arrowOf(*event); arrow && hasItems) {
        const int next = itemAfterArrow(
            [this] {
                std::vector<NavigableItem> places;
                for (const FocusItem& item : stop_.items) places.push_back({item.rect, item.row});
                return places;
            }(),
            stop_.currentItem, *arrow);
        if (next != stop_.currentItem) focusItem(next);
        return;
    }
    if (event->key() == Qt::Key_Escape && stop_.escape) {
        const auto escape = stop_.escape;
        escape();
        owner_.sync();
        return;
    }
    event->ignore();
}

void FocusStopWidget::focusInEvent(QFocusEvent* event) {
    // The item the stop is on shows again as the window marks it.
    if (stop_.currentItem >= 0 && stop_.itemFocused) stop_.itemFocused(stop_.currentItem);
    update();
    tellItemFocus();
    QWidget::focusInEvent(event);
}

void FocusStopWidget::focusOutEvent(QFocusEvent* event) {
    if (stop_.itemFocused) {
        const auto told = stop_.itemFocused;
        told(-1);
    }
    update();
    QWidget::focusOutEvent(event);
}

// ---- The mark around a real control -----------------------------------------------------

namespace {

// Lies under the control, a little larger, so only the mark around it shows.
class ControlMark final : public QWidget {
  public:
    explicit ControlMark(QWidget* window) : QWidget(window) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFocusMark(painter,
                      rect().adjusted(kMarkMargin, kMarkMargin, -kMarkMargin, -kMarkMargin));
    }
};

}  // namespace

// ---- The stops of a window -----------------------------------------------------------

FocusStops::FocusStops(QWidget* window, Builder build)
    : QObject(window), window_(window), build_(std::move(build)) {
    installFocusStopAccessibility();
    window_->setProperty(kPaintedWindowProperty, true);
    // A press anywhere in the window, its controls included, hides the mark.
    qApp->installEventFilter(this);
}

FocusStopWidget* FocusStops::find(const QString& id) const {
    const auto found = std::find_if(widgets_.begin(), widgets_.end(),
                                    [&id](const FocusStopWidget* w) { return w->stop().id == id; });
    return found == widgets_.end() ? nullptr : *found;
}

void FocusStops::focusOn(const QString& id) {
    sync();
    if (FocusStopWidget* w = find(id); w != nullptr && !w->isHidden()) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

FocusStopWidget* FocusStops::focused() const {
    const auto found = std::find_if(widgets_.begin(), widgets_.end(),
                                    [](const FocusStopWidget* w) { return w->hasFocus(); });
    return found == widgets_.end() ? nullptr : *found;
}

void FocusStops::syncSoon() {
    if (syncQueued_) return;
    syncQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        syncQueued_ = false;
        sync();
    });
}

void FocusStops::sync() {
    // A stop's action that changes the window asks again from inside; once is enough.
    if (syncing_) return;
    syncing_ = true;
    std::vector<FocusStop> stops = build_();
    FocusStopWidget* had = focused();
    const QString hadId = had != nullptr ? had->stop().id : QString();
    const QString giveBackTo = had != nullptr ? had->stop().returnFocusTo : QString();

    std::vector<QWidget*> chain;
    std::vector<QString> order;
    std::vector<FocusStopWidget*> shown;
    FocusStopWidget* opened = nullptr;
    controls_.clear();
    for (FocusStop& stop : stops) {
        order.push_back(stop.id);
        if (stop.widget != nullptr) {
            chain.push_back(stop.widget);
            if (!stop.marksItself) controls_.push_back(stop.widget);
            continue;
        }
        FocusStopWidget* w = find(stop.id);
        if (w == nullptr) {
            // Never deleted while the window lives: an action may be running from one.
            w = new FocusStopWidget(*this, window_);
            widgets_.push_back(w);
        }
        if (stop.takesFocus && w->isHidden()) opened = w;
        w->setStop(std::move(stop));
        shown.push_back(w);
        chain.push_back(w);
    }
    for (FocusStopWidget* w : widgets_) {
        if (std::find(shown.begin(), shown.end(), w) == shown.end() && !w->isHidden()) w->hide();
    }
    if (chain != chain_) {
        for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
        chain_ = chain;
    }

    // Where the focus goes: into a list that just opened (when the keyboard opened it), back
    // to what opened a list that closed, else to the stop before one that went away.
    FocusStopWidget* target = nullptr;
    if (opened != nullptr && keyboardInUse_) {
        target = opened;
    } else if (had != nullptr && had->isHidden()) {
        target = find(giveBackTo);
        if (target != nullptr && target->isHidden()) target = nullptr;
        const auto at = std::find(order_.begin(), order_.end(), hadId);
        for (auto i = at; target == nullptr && i != order_.begin();) {
            --i;
            if (FocusStopWidget* w = find(*i); w != nullptr && !w->isHidden()) target = w;
        }
        if (target == nullptr && !shown.empty()) target = shown.front();
    }
    if (target != nullptr && !target->isHidden()) target->setFocus(Qt::OtherFocusReason);
    order_ = std::move(order);
    if (target != nullptr && target == opened && opened->stop().currentItem < 0) {
        // A list opens on its chosen row.
        const auto& items = opened->stop().items;
        const auto chosen = std::find_if(items.begin(), items.end(),
                                         [](const FocusItem& item) { return item.selected; });
        syncing_ = false;
        opened->focusItem(chosen == items.end() ? 0 : static_cast<int>(chosen - items.begin()));
        return;
    }
    syncing_ = false;
}

void FocusStops::release() {
    build_ = [] { return std::vector<FocusStop>{}; };
    for (FocusStopWidget* w : widgets_) w->forget();
}

void FocusStops::keyboardUsed() {
    if (keyboardInUse_) return;
    keyboardInUse_ = true;
    refreshMarks();
}

void FocusStops::refreshMarks() {
    if (FocusStopWidget* w = focused()) w->update();
    markControl();
}

void FocusStops::markControl() {
    QWidget* control = nullptr;
    if (keyboardInUse_) {
        const auto found = std::find_if(controls_.begin(), controls_.end(), [](QWidget* c) {
            return c->isVisible() &&
                   (c->hasFocus() || c->isAncestorOf(QApplication::focusWidget()));
        });
        if (found != controls_.end()) control = *found;
    }
    if (control == nullptr) {
        if (controlMark_ != nullptr) controlMark_->hide();
        return;
    }
    if (controlMark_ == nullptr) controlMark_ = new ControlMark(window_);
    const QRect area(control->mapTo(window_, QPoint(0, 0)), control->size());
    const QRect wanted =
        area.adjusted(-kMarkMargin - 2, -kMarkMargin - 2, kMarkMargin + 2, kMarkMargin + 2);
    const QRect inside = wanted & window_->rect();
    controlMark_->setGeometry(inside);
    // A control at the window's edge gets the mark over its own edge instead, so all of the
    // mark shows.
    if (inside == wanted) {
        controlMark_->stackUnder(control);
    } else {
        controlMark_->raise();
    }
    controlMark_->show();
    controlMark_->update();
}

bool FocusStops::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the program passes here: the few kinds that matter are picked out before
    // the window they belong to is looked up.
    const auto type = event->type();
    const bool wanted = type == QEvent::MouseButtonPress || type == QEvent::FocusIn ||
                        type == QEvent::FocusOut || type == QEvent::KeyPress;
    if (!wanted || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != window_->window()) {
        return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::MouseButtonPress && keyboardInUse_) {
        keyboardInUse_ = false;
        refreshMarks();
    } else if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        // Once the focus has settled, so the mark follows it from control to control.
        QTimer::singleShot(0, this, [this] { markControl(); });
    } else if (type == QEvent::KeyPress && !keyboardInUse_) {
        // Tab itself, not the focus it moves: a window that opens gives its first control
        // the focus for "Tab" too, with no key pressed.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab ||
            std::find(controls_.begin(), controls_.end(), watched) != controls_.end()) {
            keyboardUsed();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tq260
