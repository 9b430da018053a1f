#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/front_application_watcher.h"
#include "platform/poll_thread.h"

struct xcb_connection_t;

namespace tq260 {

// The class of a WM_CLASS value ("instance\0Class\0"); the instance where no class follows.
std::string classOfWmClass(std::string_view value);

// Which process a window is of: the pid the server tells (its client's, which no client can
// pretend), else the one the window claims (_NET_WM_PID), which never makes it the
// program's own. pid 0: not known.
struct WindowProcess {
    std::uint32_t pid = 0;
    bool own = false;
    friend bool operator==(const WindowProcess&, const WindowProcess&) = default;
};
WindowProcess windowProcess(std::optional<std::uint32_t> serverPid, std::uint32_t claimedPid,
                            std::uint32_t ownPid);

// The application in front on an X server: the root window's _NET_ACTIVE_WINDOW, watched for
// changes, then the window's WM_CLASS and its process (its executable from /proc).
class X11FrontWatcher final : public FrontApplicationWatcher {
  public:
    X11FrontWatcher() = default;
    ~X11FrontWatcher() override;
    X11FrontWatcher(const X11FrontWatcher&) = delete;
    X11FrontWatcher& operator=(const X11FrontWatcher&) = delete;

    bool start(Listener listener) override;
    void stop() override;
    std::optional<std::vector<FrontApplication>> openApplications() override;

  private:
    PollThread thread_;
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace tq260
