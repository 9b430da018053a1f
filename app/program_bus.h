#pragma once

#include <memory>

namespace tq260 {

struct ApplicationState;
class CGameKeyboardDlg;
class FrontProfiles;

// The program on the user's session bus, where there is one, so that tq260ctl reaches the
// keyboard through it while the program holds it: offered before the keyboard is held, gone
// before the window. Windows has no session bus; there it offers nothing.
class ProgramBus final {
  public:
    ProgramBus();
    ~ProgramBus();
    ProgramBus(const ProgramBus&) = delete;
    ProgramBus& operator=(const ProgramBus&) = delete;

    void offer(ApplicationState& state, bool virtualKeyboard);
    // Hands the window what arrives on the bus, and the bus what changes in the window.
    void attach(CGameKeyboardDlg& window, FrontProfiles& front);
    void close();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace tq260
