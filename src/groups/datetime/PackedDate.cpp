#include "groups/datetime/PackedDate.h"

#include <QLocale>

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace PackedDate {

QDate Decode(qint16 word) {
    // 32-bit arithmetic on the unsigned pattern: a year field of 64 or more is a negative word.
    const quint32 bits = static_cast<quint16>(word);
    const int day = int(bits & 0x1Fu);
    const int month = int((bits >> 5) & 0x0Fu);
    const int year = 2000 + int(bits >> 9);
    return QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
}

qint16 Encode(const QDate& date) {
    if (!date.isValid() || date < kFirst || date > kLast) throw OverflowError();
    // 2127-12-31 gives 127 × 512 + 12 × 32 + 31 = 65439, still one 16-bit pattern.
    return ToSignedWord((date.year() - 2000) * 512 + date.month() * 32 + date.day());
}

QTime TimeOfDay(qint32 minutes) {
    const int m = int(((qint64(minutes) % 1440) + 1440) % 1440);
    return QTime(m / 60, m % 60);
}

qint16 MinutesOf(const QTime& time) {
    if (!time.isValid()) return 0;
    return static_cast<qint16>(time.hour() * 60 + time.minute());
}

QString FormatTimeAmPm(const QTime& time) {
    const QTime t = time.isValid() ? time : QTime(0, 0);
    const QLocale locale;
    const bool pm = t.hour() >= 12;
    QString designator = pm ? locale.pmText() : locale.amText();
    if (designator.isEmpty()) designator = pm ? QStringLiteral("PM") : QStringLiteral("AM");
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1:%2 %3").arg(hour12).arg(t.minute(), 2, 10, QLatin1Char('0')).arg(designator);
}

QString FormatDate(const QDate& date, const QString& pattern) { return QLocale().toString(date, pattern); }

QString FormatLongDate(const QDate& date) { return QLocale().toString(date, QLocale::LongFormat); }

}  // namespace PackedDate
