#pragma once

#include "platform/hid_transport.h"
#include "platform/shared_device_claims.h"

namespace tq260 {

// The real HID paths, through hidapi (hidraw on Linux).
class HidapiTransport final : public HidTransport {
  public:
    HidapiTransport();
    ~HidapiTransport() override;
    HidapiTransport(const HidapiTransport&) = delete;
    HidapiTransport& operator=(const HidapiTransport&) = delete;

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const std::string& path, ReportIds ids) override;

  private:
    SharedDeviceClaims claims_;
};

}  // namespace tq260
