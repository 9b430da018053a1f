#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/front_application.h"

namespace tq260 {

// Tells which application is in front, as the desktop reports it: no polling.
class FrontApplicationWatcher {
  public:
    using Listener = std::function<void(const FrontApplication&)>;
    virtual ~FrontApplicationWatcher() = default;
    // Reports the application in front now, then each change; the listener may be called on
    // any thread. False when the desktop cannot be reached.
    virtual bool start(Listener listener) = 0;
    // After it returns the listener is not called any more.
    virtual void stop() = 0;
    // The applications with a window open now, once each, for picking a rule's application;
    // nothing when the desktop did not tell. May wait for the desktop: never called on the
    // main thread, and may run while the watcher watches.
    virtual std::optional<std::vector<FrontApplication>> openApplications() = 0;
};

}  // namespace tq260
