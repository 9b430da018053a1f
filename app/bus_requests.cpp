#include "app/bus_requests.h"

#include "app/main_window.h"
#include "config/config_reader.h"
#include "config/shared_messages.h"
#include "config/text_encoding.h"

namespace tq260 {

namespace {

BusAnswer failure(bus::Error error, std::string message) {
    return {error, std::move(message), {}, {}};
}

constexpr const char* kNotRead = "its configuration could not be read";

BusAnswer sendFailure() {
    return failure(bus::Error::NotAnswering,
                   notAnsweringText("not everything was written; run the command again"));
}

}  // namespace

BusRequests::BusRequests(ApplicationState& state, MainThreadQueue& timers)
    : state_(state), timers_(timers) {}

void BusRequests::attach(CGameKeyboardDlg& window) {
    window_ = &window;
}

bool BusRequests::free() const {
    return window_ != nullptr && window_->freeForRequests();
}

void BusRequests::whenFree(std::function<void()> run, Answered answered) {
    if (waiting_.empty() && free()) {
        run();
        return;
    }
    waiting_.push_back({std::move(run), std::move(answered)});
    if (!recheckPosted_) {
        recheckPosted_ = true;
        timers_.postAfter(kRecheckMs, [this] { recheck(); });
    }
}

void BusRequests::recheck() {
    recheckPosted_ = false;
    for (Waiting& each : waiting_) each.waitedMs += kRecheckMs;
    // One at a time: a request that starts a Save makes the next one wait for its end.
    while (!waiting_.empty() && free()) {
        Waiting first = std::move(waiting_.front());
        waiting_.pop_front();
        first.run();
    }
    while (!waiting_.empty() && waiting_.front().waitedMs >= kBusyLimitMs) {
        const Answered answered = std::move(waiting_.front().answered);
        waiting_.pop_front();
        answered(failure(bus::Error::Busy, kBusyText));
    }
    if (!waiting_.empty()) {
        recheckPosted_ = true;
        timers_.postAfter(kRecheckMs, [this] { recheck(); });
    }
}

bool BusRequests::refuseUnavailable(const Answered& answered, const char* notRead) {
    const auto unavailable = window_->keyboardUnavailable();
    if (!unavailable) return false;
    answered(*unavailable == bus::Error::NoKeyboard
                 ? failure(*unavailable, kNoKeyboardText)
                 : failure(*unavailable, notAnsweringText(notRead)));
    return true;
}

bool BusRequests::refuseChange(const Answered& answered) {
    if (refuseUnavailable(answered,
                          "its settings have not been read; unplug it and plug it in again")) {
        return true;
    }
    if (window_->hasUnsavedEdits()) {
        answered(failure(bus::Error::UnsavedChanges, kUnsavedChangesText));
        return true;
    }
    return false;
}

void BusRequests::dump(Answered answered) {
    whenFree(
        [this, answered] {
            if (refuseUnavailable(answered, kNotRead)) return;
            answered({std::nullopt, {}, window_->keyboardConfigurationJson(), {}});
        },
        answered);
}

void BusRequests::apply(const std::string& json, bool dryRun, Answered answered) {
    // Checked at once: a file with faults needs no keyboard and waits for nothing.
    ConfigReading reading = readConfiguration(json, ValueRange::Keyboard);
    if (!reading.request) {
        answered(failure(bus::Error::InvalidJson, rejectionText(reading.errors)));
        return;
    }
    whenFree(
        [this, answered, dryRun, request = std::move(*reading.request)] {
            // A dry run changes nothing, so edits of the window do not stand in its way.
            if (dryRun ? refuseUnavailable(answered, kNotRead) : refuseChange(answered)) return;
            // Filled before the send can end: it ends on this thread, later.
            auto lines = std::make_shared<std::vector<std::string>>();
            const auto changes =
                window_->applyRequest(request, dryRun, [answered, lines](OperationResult result) {
                    answered(result == OperationResult::Done ? BusAnswer{{}, {}, {}, *lines}
                                                             : sendFailure());
                });
            for (const ConfigChange& change : changes) lines->push_back(describeChange(change));
            if (dryRun || changes.empty()) answered({std::nullopt, {}, {}, *lines});
        },
        answered);
}

void BusRequests::useProfile(const std::string& text, Answered answered) {
    const std::u16string name = ProfileStore::typedName(fromUtf8(text));
    whenFree(
        [this, answered, name] {
            if (refuseChange(answered)) return;
            ProfileStore& store = state_.profiles;
            store.reload();
            if (!store.rowOf(name)) {
                answered(failure(bus::Error::NoSuchProfile, noProfileNamed(store, name)));
                return;
            }
            const ProfileStore::Outcome used =
                window_->sendProfile(name, [answered](OperationResult result) {
                    answered(result == OperationResult::Done ? BusAnswer{} : sendFailure());
                });
            if (used.result != ProfileStore::Result::Done) {
                answered(failure(profileRefusalError(used.result), profileRefusal(used, name)));
            }
        },
        answered);
}

void BusRequests::saveProfile(const std::string& text, Answered answered) {
    const std::u16string name = ProfileStore::typedName(fromUtf8(text));
    whenFree(
        [this, answered, name] {
            if (refuseUnavailable(answered, kNotRead)) return;
            const ProfileStore::Outcome saved = window_->saveKeyboardInProfile(name);
            if (saved.result == ProfileStore::Result::Done) {
                answered({});
            } else {
                answered(failure(profileRefusalError(saved.result), profileRefusal(saved, name)));
            }
        },
        answered);
}

void BusRequests::factoryReset(Answered answered) {
    whenFree(
        [this, answered] {
            if (refuseChange(answered)) return;
            window_->restoreFactory([answered](OperationResult result) {
                answered(result == OperationResult::Done
                             ? BusAnswer{}
                             : failure(bus::Error::NotAnswering,
                                       notAnsweringText(
                                           "the factory settings may not have been restored")));
            });
        },
        answered);
}

std::vector<std::string> BusRequests::profiles() {
    // Opened by the window as it starts; until then there is nothing to list.
    if (state_.profiles.folder().empty()) return {};
    state_.profiles.reload();
    std::vector<std::string> names;
    for (const std::u16string& name : state_.profiles.names()) names.push_back(toUtf8(name));
    return names;
}

std::string BusRequests::activeProfile() {
    if (state_.profiles.folder().empty()) return {};
    state_.profiles.reload();
    return toUtf8(state_.profiles.listedActiveName());
}

}  // namespace tq260
