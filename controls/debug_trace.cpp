#include "controls/debug_trace.h"

namespace tq260 {

Q_LOGGING_CATEGORY(traceCategory, "tq260.trace", QtWarningMsg)

}  // namespace tq260
