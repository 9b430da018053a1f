#include "device/hid_trace.h"

#include <cstdlib>

namespace tq260 {

std::string formatHexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) text.push_back(' ');
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string formatTraceLine(std::int64_t ms, TraceChannel channel, TraceOp op,
                            std::span<const std::uint8_t> bytes, bool failed) {
    static constexpr const char* kOps[] = {"set", "get", "write", "read"};
    std::string line = std::to_string(ms);
    line += channel == TraceChannel::Command ? " cmd " : " evt ";
    line += kOps[static_cast<int>(op)];
    line += ' ';
    line += formatHexBytes(bytes);
    if (failed) line += " failed";
    return line;
}

HidTrace::HidTrace(const std::filesystem::path& file, const Clock& clock)
    : file_(std::fopen(file.string().c_str(), "a")), clock_(clock) {}

HidTrace::~HidTrace() {
    if (file_ != nullptr) std::fclose(file_);
}

std::shared_ptr<HidTrace> HidTrace::fromEnvironment(const Clock& clock) {
    const char* file = std::getenv(kEnvironmentVariable);
    if (file == nullptr || *file == '\0') return nullptr;
    return std::make_shared<HidTrace>(file, clock);
}

void HidTrace::markLinkOpened() {
    std::lock_guard lock(mutex_);
    if (!originUs_) originUs_ = clock_.nowUs();
}

void HidTrace::log(TraceChannel channel, TraceOp op, std::span<const std::uint8_t> bytes,
                   bool failed) {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) return;
    const std::int64_t now = clock_.nowUs();
    if (!originUs_) originUs_ = now;
    std::string line = formatTraceLine((now - *originUs_) / 1000, channel, op, bytes, failed);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), file_);
    // Flushed line by line: the trace is most wanted when the program does not end well.
    std::fflush(file_);
}

TracingHidDevice::TracingHidDevice(std::unique_ptr<HidDevice> inner,
                                   std::shared_ptr<HidTrace> trace, TraceChannel channel)
    : inner_(std::move(inner)), trace_(std::move(trace)), channel_(channel) {}

int TracingHidDevice::sendFeatureReport(std::span<const std::uint8_t> report) {
    const int result = inner_->sendFeatureReport(report);
    trace_->log(channel_, TraceOp::Set, report, result < 0);
    return result;
}

int TracingHidDevice::getFeatureReport(std::span<std::uint8_t> report) {
    const int result = inner_->getFeatureReport(report);
    trace_->log(channel_, TraceOp::Get, report, result < 0);
    return result;
}

int TracingHidDevice::write(std::span<const std::uint8_t> report) {
    const int result = inner_->write(report);
    trace_->log(channel_, TraceOp::Write, report, result < 0);
    return result;
}

int TracingHidDevice::read(std::span<std::uint8_t> report, int timeoutMs) {
    const int result = inner_->read(report, timeoutMs);
    // On the command channel a report is always expected, so a read that times out is
    // logged as failed. On the event channel an empty wait is the normal idle state and
    // leaves no line, or the trace would grow five lines a second while nothing happens.
    const bool idleEventWait = result == 0 && channel_ == TraceChannel::Event;
    if (result > 0) {
        trace_->log(channel_, TraceOp::Read, report.first(static_cast<std::size_t>(result)), false);
    } else if (!idleEventWait) {
        trace_->log(channel_, TraceOp::Read, report, true);
    }
    return result;
}

}  // namespace tq260
