#include "app/start_up_report.h"

#include <QFile>
#include <QStringList>

#ifdef __linux__
#include <unistd.h>
#endif

namespace tq260 {

namespace {

// Milliseconds since the process started, from /proc (10 ms resolution); -1 where unknown.
qint64 processAgeMs() {
#ifdef __linux__
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) return -1;
    const QString statText = QString::fromLatin1(stat.readAll());
    // Fields after the command name, which ends with ')'.
    const QStringList fields =
        statText.mid(statText.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    if (fields.size() < 20) return -1;
    const double startTicks = fields[19].toDouble();
    const double upSeconds =
        QString::fromLatin1(uptime.readAll()).split(QLatin1Char(' ')).value(0).toDouble();
    return static_cast<qint64>(
        (upSeconds - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0);
#else
    return -1;
#endif
}

// Peak resident memory in kB; -1 where unknown.
qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

}  // namespace

QString startUpReport(qint64 sinceMainMs, bool splashSkipped) {
    return QStringLiteral(
               "start-up: %1 ms since main, %2 ms since the process started%3\n"
               "peak memory: %4 kB\n")
        .arg(sinceMainMs)
        .arg(processAgeMs())
        .arg(splashSkipped ? QString() : QStringLiteral(" (the splash screen included)"))
        .arg(peakMemoryKb());
}

}  // namespace tq260
