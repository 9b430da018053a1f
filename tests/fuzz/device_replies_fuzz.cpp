// A keyboard that answers anything: every platform call of the command channel takes its
// outcome (failure, timeout, a short or full transfer, the time it took) and its bytes from
// the input, and the whole protocol runs on it: a full read, a write back, the factory reset
// and its reread. Whatever arrives, each stays within its buffers and ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/composite_operations.h"
#include "device/device_link.h"
#include "device/installed_firmware.h"
#include "keys/instance_request.h"

namespace {

using namespace tq260;

class Input {
  public:
    explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t next() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

class InstantClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return nowUs_; }
    void sleepMs(int ms) override { nowUs_ += std::int64_t{ms} * 1000; }
    void blockUs(std::int64_t us) override { nowUs_ += us; }

  private:
    std::int64_t nowUs_ = 0;
};

// Each call: one byte chooses the outcome and another how long the call took; a transfer
// that succeeds fills its buffer (or part of it) from the input.
class FuzzedDevice final : public HidDevice {
  public:
    FuzzedDevice(Input& input, Clock& clock) : input_(input), clock_(clock) {}
    int sendFeatureReport(std::span<const std::uint8_t> report) override {
        return take(report.size());
    }
    int getFeatureReport(std::span<std::uint8_t> report) override { return fill(report); }
    int write(std::span<const std::uint8_t> report) override { return take(report.size()); }
    int read(std::span<std::uint8_t> report, int) override { return fill(report); }

  private:
    int outcome(std::size_t size) {
        clock_.blockUs(std::int64_t{input_.next()} * 4000);  // 0..1 s
        const std::uint8_t choice = input_.next();
        if (choice < 16) return -1;
        if (choice < 32) return 0;
        return static_cast<int>(choice % (size + 1));
    }
    int take(std::size_t size) { return outcome(size); }
    int fill(std::span<std::uint8_t> report) {
        const int result = outcome(report.size());
        for (int i = 0; i < result; ++i) report[static_cast<std::size_t>(i)] = input_.next();
        return result;
    }

    Input& input_;
    Clock& clock_;
};

class FuzzedTransport final : public HidTransport {
  public:
    FuzzedTransport(Input& input, Clock& clock) : input_(input), clock_(clock) {}
    std::vector<HidInterfaceInfo> enumerate() override {
        return {{"command", kKeyboardVendorId, kKeyboardProductId, 3, 0, 1},
                {"event", kKeyboardVendorId, kKeyboardProductId, 1, 0, 3}};
    }
    std::unique_ptr<HidDevice> open(const std::string&, ReportIds) override {
        return std::make_unique<FuzzedDevice>(input_, clock_);
    }

  private:
    Input& input_;
    Clock& clock_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    Input input(bytes);
    InstantClock clock;
    FuzzedTransport transport(input, clock);
    DeviceLink link(transport, clock, nullptr);
    link.connect();

    KeyboardState state;
    fullRead(link, state.settings, state.identity);
    state.settings.keyTable[0].code ^= 0xFF;  // something to send
    state.settings.macroBlocks[2][5] ^= 0xFF;
    writeBack(link, state);
    DeviceSettings reread = state.settings;
    restoreFactorySettings(link, reread);

    // The small texts from outside: "VER.bin" and the messages between copies.
    static_cast<void>(parseInstalledVersion(bytes.first(std::min(size, kVersionFileReadSize))));
    static_cast<void>(
        parseInstanceMessage(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
