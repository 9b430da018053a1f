#pragma once

#include <functional>

namespace tq260 {

// What a long operation with the keyboard is doing, for a progress display.
enum class OperationStep {
    Lighting,
    KeyTable,
    MacroBlock,
    ReportRate,
    ResponseTime,
    LightMasks,
    GameMode,
    FactoryReset,
};

struct OperationProgress {
    OperationStep step = OperationStep::Lighting;
    int done = 0;   // steps finished before this one
    int total = 0;  // steps in the whole operation
};

// Told before each step, on the thread that runs the operation.
using ProgressListener = std::function<void(const OperationProgress&)>;

// Counts the steps of one operation and tells the listener, if any.
class ProgressCounter {
  public:
    ProgressCounter(const ProgressListener& listener, int total)
        : listener_(listener), total_(total) {}
    void next(OperationStep step) {
        if (listener_) listener_({step, done_, total_});
        ++done_;
    }

  private:
    const ProgressListener& listener_;
    int total_;
    int done_ = 0;
};

}  // namespace tq260
