#pragma once

#include <QLoggingCategory>

namespace tq260 {

// Traces for whoever debugs the program: off unless turned on, for example with
// QT_LOGGING_RULES="tq260.trace.debug=true"; users never see them.
Q_DECLARE_LOGGING_CATEGORY(traceCategory)

}  // namespace tq260
