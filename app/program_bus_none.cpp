#include "app/program_bus.h"

namespace tq260 {

// No session bus (Windows): tq260ctl is told that the program holds the keyboard.
struct ProgramBus::Parts {};

ProgramBus::ProgramBus() = default;

ProgramBus::~ProgramBus() = default;

void ProgramBus::offer(ApplicationState&, bool) {}

void ProgramBus::attach(CGameKeyboardDlg&, FrontProfiles&) {}

void ProgramBus::close() {}

}  // namespace tq260
