#pragma once

#include "emulator/emulator_transport.h"
#include "platform/hot_plug_watcher.h"

namespace tq260 {

// Reports the virtual devices' plugging and unplugging as the system's watcher reports
// real ones.
class VirtualHotPlugWatcher final : public HotPlugWatcher {
  public:
    explicit VirtualHotPlugWatcher(EmulatorTransport& transport, bool refuseRegistration = false)
        : transport_(transport), refuseRegistration_(refuseRegistration) {}
    ~VirtualHotPlugWatcher() override { stop(); }

    bool start(Listener listener) override {
        if (refuseRegistration_) return false;
        transport_.setHotPlugListener(std::move(listener));
        return true;
    }
    void stop() override { transport_.setHotPlugListener(nullptr); }

  private:
    EmulatorTransport& transport_;
    bool refuseRegistration_;
};

}  // namespace tq260
