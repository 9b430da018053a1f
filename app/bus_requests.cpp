#include "app/bus_requests.h"

#include <algorithm>

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

bool BusRequests::free(Needs needs) const {
    if (window_ == nullptr) return false;
    return needs == Needs::Keyboard ? window_->freeForReads() : window_->freeForRequests();
}

void BusRequests::whenFree(std::function<void()> run, Answered answered, Needs needs) {
    // A read passes changes that wait for a dialog; changes keep their order.
    const bool changeWaits = std::any_of(waiting_.begin(), waiting_.end(),
                                         [](const Waiting& w) { return w.needs == Needs::Window; });
    if (free(needs) && (needs == Needs::Keyboard || !changeWaits)) {
        run();
        return;
    }
    waiting_.push_back({std::move(run), std::move(answered), needs});
    if (!recheckPosted_) {
        recheckPosted_ = true;
        timers_.postAfter(kRecheckMs, [this] { recheck(); });
    }
}

void BusRequests::recheck() {
    recheckPosted_ = false;
    for (Waiting& each : waiting_) each.waitedMs += kRecheckMs;
    // One at a time, each asked again after the one before ran: a request that starts a Save
    // makes the next one wait for its end. A change never passes an earlier change.
    bool changeWaits = false;
    for (std::size_t i = 0; i < waiting_.size();) {
        const Needs needs = waiting_[i].needs;
        if (!free(needs) || (needs == Needs::Window && changeWaits)) {
            changeWaits = changeWaits || needs == Needs::Window;
            ++i;
            continue;
        }
        Waiting ready = std::move(waiting_[i]);
        waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
        ready.run();
    }
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        if (it->waitedMs < kBusyLimitMs) {
            ++it;
            continue;
        }
        const Answered answered = std::move(it->answered);
        it = waiting_.erase(it);
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
        answered, Needs::Keyboard);
}

void BusRequests::keyboards(Answered answered) {
    whenFree(
        [this, answered] {
            std::string text = window_->keyboardListText();
            if (text.empty()) {
                answered(failure(bus::Error::NoKeyboard, kNoKeyboardText));
            } else {
                answered({std::nullopt, {}, std::move(text), {}});
            }
        },
        answered, Needs::Keyboard);
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

void BusRequests::useProfile(const std::string& text, Unkept unkept, Answered answered) {
    const std::u16string name = ProfileStore::typedName(fromUtf8(text));
    // A name no profile can have needs nothing to be refused.
    if (!ProfileStore::isAcceptableName(name)) {
        answered(failure(bus::Error::InvalidName,
                         profileRefusal({ProfileStore::Result::BadName, {}}, name)));
        return;
    }
    whenFree(
        [this, answered, name, unkept] {
            if (refuseChange(answered)) return;
            ProfileStore& store = state_.profiles;
            store.reload();
            const auto row = store.rowOf(name);
            if (!row) {
                answered(failure(bus::Error::NoSuchProfile, noProfileNamed(store, name)));
                return;
            }
            // A profile that cannot serve is refused before anything is kept for it.
            if (const ProfileStore::Outcome unusable =
                    ProfileStore::refusalOf(store.pathOf(*row), checkProfile(store.pathOf(*row)));
                unusable.result != ProfileStore::Result::Done) {
                answered(
                    failure(profileRefusalError(unusable.result), profileRefusal(unusable, name)));
                return;
            }
            const UnkeptOutcome settled = window_->settleUnkeptBefore(name, unkept);
            if (settled.error) {
                answered(failure(*settled.error, settled.message));
                return;
            }
            const ProfileStore::Outcome used = window_->sendProfile(
                name, [answered, kept = settled.keptIn](OperationResult result) {
                    if (result == OperationResult::Done) {
                        answered({{}, {}, toUtf8(kept), {}});
                        return;
                    }
                    // What was kept stays kept: said with the failure.
                    BusAnswer failed = sendFailure();
                    if (!kept.empty()) failed.message = keptText(kept) + "\n" + failed.message;
                    answered(std::move(failed));
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
