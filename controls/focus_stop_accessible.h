#pragma once

namespace tq260 {

struct FocusStop;
class FocusStopWidget;

// Set on a painted window that is not a dialog: screen readers are told it is a window.
inline constexpr char kPaintedWindowProperty[] = "tq260PaintedWindow";

// Gives screen readers the focus stops: name, role, state, value, their items as children,
// and the press action. Installed once per process; harmless to call again.
void installFocusStopAccessibility();

// Tells screen readers what changed on a stop (name, value, state).
void tellAccessibleChanges(FocusStopWidget* widget, const FocusStop& before, const FocusStop& now);

}  // namespace tq260
