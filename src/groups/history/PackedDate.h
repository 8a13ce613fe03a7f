#pragma once

#include <QDate>
#include <QtGlobal>

// The controller's one-register date: bits 0-4 day, bits 5-8 month, bits 9-15 year - 2000.
//
// The date is built with calendar normalisation, as the controller's own date arithmetic does: a
// month or day outside its range rolls over (month 0 is December of the year before, day 0 the last
// day of the month before, month 13 January of the next year), so a word of 0 is 30 November 1999.
// The year field is taken unsigned: 64-127 (bit 15 set) are the years 2064-2127, as the clock group
// reads them; the word never fails to decode.
namespace PackedDate {

[[nodiscard]] QDate Decode(qint16 word);
// The inverse for dates 2000-01-01 .. 2127-12-31 (day and month in range); other dates give 0.
[[nodiscard]] qint16 Encode(const QDate& date);

}  // namespace PackedDate
