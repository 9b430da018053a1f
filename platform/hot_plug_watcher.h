#pragma once

#include <cstdint>
#include <functional>

namespace tq260 {

// A USB device came or went.
struct DeviceChange {
    enum class Kind { Arrival, Removal };
    Kind kind = Kind::Arrival;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

class HotPlugWatcher {
  public:
    using Listener = std::function<void(const DeviceChange&)>;
    virtual ~HotPlugWatcher() = default;
    // Starts reporting USB device arrivals and removals; the listener may be called on any
    // thread. False when the platform refuses the registration.
    virtual bool start(Listener listener) = 0;
    // After it returns the listener is not called any more.
    virtual void stop() = 0;
};

}  // namespace tq260
