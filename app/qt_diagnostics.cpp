#include "app/qt_diagnostics.h"

#include <QString>

#include "controls/debug_trace.h"

namespace tq260 {

void QtDiagnostics::debugText(std::string_view text) {
    qCDebug(traceCategory).noquote()
        << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

}  // namespace tq260
