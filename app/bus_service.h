#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <functional>
#include <memory>

#include "app/bus_requests.h"
#include "platform/front_application.h"

namespace tq260 {

// The program's interface on the user's session bus (org.tq260.Vantor1 at
// /org/tq260/Vantor under the name org.tq260.Vantor): messages become BusRequests, answers
// become replies or named errors, and the window's news become signals. Only the session
// bus, so no other user reaches it.
class BusService final : public QDBusVirtualObject {
  public:
    BusService(BusRequests& requests, QDBusConnection connection, bool virtualKeyboard);
    ~BusService() override;

    // Registers the object and takes the name; nothing when either is refused (no bus, or
    // the name owned already).
    static std::unique_ptr<BusService> offer(BusRequests& requests, QDBusConnection connection,
                                             bool virtualKeyboard);
    // The user's session bus, where there is one to reach; never starts one.
    static std::optional<QDBusConnection> sessionBus();

    // Where a desktop's own script says which application came to the front.
    void setFrontListener(std::function<void(const FrontApplication&)> listener) {
        front_ = std::move(listener);
    }

    void configurationChanged();
    void profileChanged(const QString& name);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    bool handleProperty(const QDBusMessage& message);

    BusRequests& requests_;
    QDBusConnection connection_;
    bool virtualKeyboard_;
    bool registered_ = false;
    std::function<void(const FrontApplication&)> front_;
};

}  // namespace tq260
