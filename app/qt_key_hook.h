#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/key_hook.h"

class QKeyEvent;

namespace tq260 {

// The key hook of the program: while installed it takes every key event meant for the
// hooked window before any widget sees it, turns the key's position into its virtual-key
// code and sends it to the window as WM_HOOK_KEY. While that window is the active one it
// also holds the keyboard grab, so the keys reach neither other programs nor other windows
// of this one. Windows it opens over itself (a file chooser) get their keys as usual.
class QtKeyHook final : public QObject, public KeyHook {
  public:
    explicit QtKeyHook(QObject* parent = nullptr);
    ~QtKeyHook() override;

    bool install(WindowHandle window, int mode) override;
    void remove() override;

    bool installed() const { return recipient_ != nullptr; }
    bool grabbing() const { return grabbing_; }

    // The virtual-key code of a key event by the key's position; 0 when it has none.
    static std::uint8_t virtualKeyOf(const QKeyEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool belongsToHookedWindow(QObject* receiver) const;
    void grab();
    void releaseGrab();

    QPointer<QObject> recipient_;
    QPointer<QWidget> window_;
    bool filtering_ = false;
    bool grabbing_ = false;
};

}  // namespace tq260
