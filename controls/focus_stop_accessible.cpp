#include "controls/focus_stop_accessible.h"

#include <QAccessibleWidget>
#include <QDialog>
#include <QPointer>
#include <memory>
#include <vector>

#include "controls/focus_stop.h"

namespace tq260 {

namespace {

QAccessible::State stateOf(const FocusStop& stop) {
    QAccessible::State state;
    if (stop.checked) {
        state.checkable = true;
        state.checked = *stop.checked;
    }
    if (stop.expanded) {
        state.expandable = true;
        state.expanded = *stop.expanded;
        state.collapsed = !*stop.expanded;
    }
    if (stop.selected) {
        state.selectable = true;
        state.selected = true;
    }
    return state;
}

// One item of a stop (a key, a list row); it reads the stop as it is now.
class FocusItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    FocusItemAccessible(FocusStopWidget* stop, int index) : stop_(stop), index_(index) {}

    bool isValid() const override {
        return stop_ != nullptr && index_ < static_cast<int>(stop_->stop().items.size());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return stop_ != nullptr && stop_->window() != nullptr ? stop_->window()->windowHandle()
                                                              : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(stop_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? item().name : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid() || stop_->parentWidget() == nullptr) return {};
        const QRect local = item().rect;
        return QRect(stop_->parentWidget()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override {
        return isValid() ? item().role : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.selectable = true;
        state.focused = stop_->hasFocus() && stop_->stop().currentItem == index_;
        state.selected = item().selected || state.focused;
        state.invisible = stop_->isHidden();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& action) override {
        if (!isValid()) return;
        if (action == setFocusAction()) {
            stop_->setFocus(Qt::OtherFocusReason);
            stop_->focusItem(index_);
        } else if (action == pressAction()) {
            stop_->focusItem(index_);
            // After the answer: the press may open a dialog that waits for the user.
            QMetaObject::invokeMethod(
                stop_.data(),
                [stop = QPointer<FocusStopWidget>(stop_), index = index_] {
                    if (stop) stop->pressItem(index);
                },
                Qt::QueuedConnection);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    const FocusItem& item() const { return stop_->stop().items[static_cast<std::size_t>(index_)]; }

    QPointer<FocusStopWidget> stop_;
    int index_;
};

// A stop: a button, tick box, tab, header or list as the screen reader should know it.
class FocusStopAccessible final : public QAccessibleWidget {
  public:
    explicit FocusStopAccessible(FocusStopWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Button) {}
    ~FocusStopAccessible() override {
        for (const QAccessible::Id id : items_) QAccessible::deleteAccessibleInterface(id);
    }

    QAccessible::Role role() const override { return stop().role; }
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return stop().name;
            case QAccessible::Description:
                return stop().description;
            case QAccessible::Value:
                return stop().value;
            default:
                return QAccessibleWidget::text(t);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        const QAccessible::State own = stateOf(stop());
        state.checkable = own.checkable;
        state.checked = own.checked;
        state.expandable = own.expandable;
        state.expanded = own.expanded;
        state.collapsed = own.collapsed;
        state.selectable = state.selectable || own.selectable;
        state.selected = own.selected;
        return state;
    }
    int childCount() const override { return static_cast<int>(stop().items.size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (static_cast<int>(items_.size()) <= index) {
            auto* item = new FocusItemAccessible(widget(), static_cast<int>(items_.size()));
            items_.push_back(QAccessible::registerAccessibleInterface(item));
        }
        return QAccessible::accessibleInterface(items_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (QAccessible::accessibleInterface(items_[i]) == child) return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* item = child(i);
            if (item != nullptr && item->rect().contains(x, y)) return item;
        }
        return nullptr;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (stop().activate) names << (stop().checked ? toggleAction() : pressAction());
        return names << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            // After the answer: the press may open a dialog that waits for the user.
            QMetaObject::invokeMethod(
                widget(),
                [stop = QPointer<FocusStopWidget>(widget())] {
                    if (stop) stop->press();
                },
                Qt::QueuedConnection);
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

  private:
    FocusStopWidget* widget() const { return static_cast<FocusStopWidget*>(object()); }
    const FocusStop& stop() const { return widget()->stop(); }

    mutable std::vector<QAccessible::Id> items_;
};

QAccessibleInterface* focusStopFactory(const QString&, QObject* object) {
    if (auto* stop = dynamic_cast<FocusStopWidget*>(object)) return new FocusStopAccessible(stop);
    // A painted main window is a window to a screen reader, not a bare panel.
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr && widget->isWindow() && qobject_cast<QDialog*>(widget) == nullptr &&
        widget->property(kPaintedWindowProperty).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void installFocusStopAccessibility() {
    // Qt keeps its factories for the process; this adds ours once.
    static const bool installed = [] {
        QAccessible::installFactory(focusStopFactory);
        return true;
    }();
    (void)installed;
}

void tellAccessibleChanges(FocusStopWidget* widget, const FocusStop& before, const FocusStop& now) {
    if (!QAccessible::isActive()) return;
    if (before.name != now.name) {
        QAccessibleEvent event(widget, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (before.value != now.value) {
        QAccessibleValueChangeEvent event(widget, now.value);
        QAccessible::updateAccessibility(&event);
    }
    const QAccessible::State was = stateOf(before);
    const QAccessible::State is = stateOf(now);
    QAccessible::State changed;
    changed.checked = was.checked != is.checked;
    changed.expanded = was.expanded != is.expanded;
    changed.collapsed = was.collapsed != is.collapsed;
    changed.selected = was.selected != is.selected;
    if (changed.checked || changed.expanded || changed.selected) {
        QAccessibleStateChangeEvent event(widget, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (before.items.size() != now.items.size()) {
        QAccessibleEvent event(widget, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace tq260
