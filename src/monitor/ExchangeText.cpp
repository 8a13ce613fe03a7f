#include "monitor/ExchangeText.h"

#include <QDateTime>

#include "base/StringTable.h"
#include "files/C_M852_SetupSave.h"
#include "files/WindowCatalogue.h"

namespace ExchangeText {

QString windowName(qint32 winId) {
    if (WindowCatalogue::IsValidType(winId)) {
        if (auto title = StringTable::lookup(WindowCatalogue::kTitleBase + winId)) return *title;
    }
    // The setup-data transfers (File > Save Setup... / Restore Setup...) have a WinID of their own.
    if (winId == C_M852_SetupSave::kWinID) return QStringLiteral("Setup file");
    return QStringLiteral("WinID %1").arg(winId);
}

QString hex(QByteArrayView bytes) { return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper()); }

QString time(qint64 msSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString traceLine(const LinkExchange& x) {
    // The interval and latency follow as "interval N ms" and "latency N.N ms" where the host gave them.
    QString timing;
    if (x.intervalMs > 0) timing += QStringLiteral(" interval %1 ms").arg(x.intervalMs);
    if (x.latencyUs >= 0)
        timing += QStringLiteral(" latency %1 ms").arg(double(x.latencyUs) / 1000, 0, 'f', 1);
    return QStringLiteral("%1 %2 fn %3 start %4 count %5 %6 %7 ms%8 %9 > %10")
        .arg(time(x.sentAtMs), windowName(x.winId))
        .arg(x.function)
        .arg(x.startingReg)
        .arg(x.count)
        .arg(outcomeText(x.outcome, x.exceptionCode))
        .arg(x.replyMs(), 0, 'f', 1)
        .arg(timing, hex(x.request), x.reply.isEmpty() ? QStringLiteral("-") : hex(x.reply));
}

}  // namespace ExchangeText
