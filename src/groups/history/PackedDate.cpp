#include "groups/history/PackedDate.h"

namespace PackedDate {

QDate Decode(qint16 word) {
    const auto bits = static_cast<quint16>(word);
    const int day = bits & 0x1F;
    const int month = (bits >> 5) & 0x0F;
    const int year = 2000 + (bits >> 9);
    // Day 1 of January of the year, then the month and day offsets: month 0 -> one month back,
    // day 0 -> one day back, day 31 of a 30-day month -> the 1st of the next.
    return QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
}

qint16 Encode(const QDate& date) {
    if (!date.isValid() || date.year() < 2000 || date.year() > 2127) return 0;
    const unsigned word = (unsigned(date.year() - 2000) << 9) | (unsigned(date.month()) << 5) | unsigned(date.day());
    return static_cast<qint16>(static_cast<quint16>(word));
}

}  // namespace PackedDate
