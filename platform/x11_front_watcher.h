#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/front_application_watcher.h"
#include "platform/poll_thread.h"

struct xcb_connection_t;

namespace tq260 {

// The class of a WM_CLASS value ("instance\0Class\0"); the instance where no class follows.
std::string classOfWmClass(std::string_view value);

// The application in front on an X server: the root window's _NET_ACTIVE_WINDOW, watched for
// changes, then the window's WM_CLASS and _NET_WM_PID (its executable from /proc).
class X11FrontWatcher final : public FrontApplicationWatcher {
  public:
    X11FrontWatcher() = default;
    ~X11FrontWatcher() override;
    X11FrontWatcher(const X11FrontWatcher&) = delete;
    X11FrontWatcher& operator=(const X11FrontWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;
    std::vector<FrontApplication> openApplications() override;

  private:
    PollThread thread_;
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace tq260
