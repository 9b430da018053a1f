#include "app/program_bus.h"

#include <QTextStream>

#include "app/bus_requests.h"
#include "app/bus_service.h"
#include "app/front_profiles.h"
#include "app/main_window.h"
#include "app/qt_platform.h"

namespace tq260 {

// Gone in the reverse order: the service answers through the requests, whose timers belong
// to the context.
struct ProgramBus::Parts {
    QObject context;
    QtMainThreadQueue timers{&context};
    BusRequests requests;
    std::unique_ptr<BusService> service;

    explicit Parts(ApplicationState& state) : requests(state, timers) {}
};

ProgramBus::ProgramBus() = default;

ProgramBus::~ProgramBus() = default;

void ProgramBus::offer(ApplicationState& state, bool virtualKeyboard) {
    const auto connection = BusService::sessionBus();
    if (!connection) return;
    parts_ = std::make_unique<Parts>(state);
    parts_->service = BusService::offer(parts_->requests, *connection, virtualKeyboard);
    if (!parts_->service) {
        QTextStream(stderr) << "The name " << bus::kService
                            << " is taken on the session bus: tq260ctl cannot reach this "
                               "program while it holds the keyboard.\n";
        close();
    }
}

void ProgramBus::attach(CGameKeyboardDlg& window, FrontProfiles& front) {
    if (!parts_) return;
    BusService& service = *parts_->service;
    service.setFrontListener([&front](const FrontApplication& app) { front.frontFromBus(app); });
    parts_->requests.attach(window);
    window.setChangeListener({[&service] { service.configurationChanged(); },
                              [&service](const std::u16string& name) {
                                  service.profileChanged(QString::fromStdU16String(name));
                              }});
}

void ProgramBus::close() {
    parts_.reset();
}

}  // namespace tq260
