#pragma once

#include <QString>
#include <QtGlobal>

namespace tq260 {

// How long start-up took (from the process's start, as the system counts it, and from
// main's first line) and the peak memory so far.
QString startUpReport(qint64 sinceMainMs, bool splashSkipped);

}  // namespace tq260
