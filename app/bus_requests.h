#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "config/bus_names.h"
#include "config/profile_use.h"
#include "platform/main_thread_queue.h"

namespace tq260 {

class CGameKeyboardDlg;

// What a request from another program is answered with: its result, or an error and the
// text the tool prints for it.
struct BusAnswer {
    std::optional<bus::Error> error;
    std::string message;
    std::string text;
    std::vector<std::string> lines;
};
using Answered = std::function<void(BusAnswer)>;

// The requests the program takes from other programs of its user, carried out through the
// main window as its own actions are. A request that would change what the keyboard holds
// is refused while the window has edits it would overwrite; while a dialog of the program is
// open or an operation runs (or the window is not there yet), such requests wait, in order,
// up to kBusyLimitMs. Reading what the keyboard holds waits only while a read or an
// operation runs (what it holds may be changing then), never for a dialog.
class BusRequests {
  public:
    static constexpr int kBusyLimitMs = 10000;
    // How often waiting requests look again; only while some wait.
    static constexpr int kRecheckMs = 100;

    // Offered before the window exists, so that no tool finds the keyboard held and nobody
    // on the bus; requests wait for the window as for a dialog.
    BusRequests(ApplicationState& state, MainThreadQueue& timers);
    void attach(CGameKeyboardDlg& window);

    void dump(Answered answered);
    void apply(const std::string& json, bool dryRun, Answered answered);
    // A configuration no profile holds is refused (NotInProfile) unless unkept says what
    // becomes of it; the answer's text names the profile it was kept in.
    void useProfile(const std::string& name, Unkept unkept, Answered answered);
    void saveProfile(const std::string& name, Answered answered);
    void factoryReset(Answered answered);
    // The keyboards as `tq260ctl list` prints them.
    void keyboards(Answered answered);
    // Read from disk; need no keyboard and never wait.
    std::vector<std::string> profiles();
    std::string activeProfile();

  private:
    // What a request waits for.
    enum class Needs { Window, Keyboard };
    struct Waiting {
        std::function<void()> run;
        Answered answered;
        Needs needs = Needs::Window;
        int waitedMs = 0;
    };
    bool free(Needs needs) const;
    void whenFree(std::function<void()> run, Answered answered, Needs needs = Needs::Window);
    void recheck();
    // Why the keyboard cannot be read or changed now, answered; false when it can.
    bool refuseUnavailable(const Answered& answered, const char* notRead);
    // The same, and edits of the window that a change would overwrite.
    bool refuseChange(const Answered& answered);

    CGameKeyboardDlg* window_ = nullptr;
    ApplicationState& state_;
    MainThreadQueue& timers_;
    std::deque<Waiting> waiting_;
    bool recheckPosted_ = false;
};

}  // namespace tq260
