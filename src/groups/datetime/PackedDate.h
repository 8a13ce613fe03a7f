#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QtGlobal>

// Dates and times of day as the controller keeps them, shared by the clock, exerciser and calendar
// groups.
//
// A PackedDate word holds day (bits 0-4), month (bits 5-8) and year - 2000 (bits 9-15). The word is
// read as its unsigned 16-bit pattern, so the years 2000 to 2127 all decode. Times of day are whole
// minutes after midnight.
namespace PackedDate {

// The first and last dates a PackedDate word can hold.
inline const QDate kFirst{2000, 1, 1};
inline const QDate kLast{2127, 12, 31};
// The zero date a date field holds before the first reply.
inline const QDate kZeroDate{1899, 12, 30};

// The date of a PackedDate word, built with calendar normalisation: month 0 is December of the year
// before, month 13 January of the next; day 0 is the last day of the month before, a day beyond the
// month's end runs into the next month (31 February 2024 is 2 March 2024).
[[nodiscard]] QDate Decode(qint16 word);

// (year - 2000) × 512 + month × 32 + day as a signed 16-bit word. A date outside kFirst..kLast
// cannot be held and is an OverflowError (nothing is encoded).
[[nodiscard]] qint16 Encode(const QDate& date);

// The time of day `minutes` after midnight; minutes beyond a day carry into the next one and are
// dropped with it (1440 is 00:00 again), negative minutes count back from midnight.
[[nodiscard]] QTime TimeOfDay(qint32 minutes);

// hour × 60 + minute; the seconds are dropped (10:15:42 gives 615). An invalid time gives 0.
[[nodiscard]] qint16 MinutesOf(const QTime& time);

// "h:mm AM" in the 12-hour clock, hour without a leading zero, with the locale's AM/PM designator
// ("AM"/"PM" when the locale has none): 0 minutes give "12:00 AM", 1439 give "11:59 PM".
[[nodiscard]] QString FormatTimeAmPm(const QTime& time);

// A date with a Qt date pattern in the locale's names ("d MMMM yyyy", "ddd, d MMMM yyyy", "dddd").
[[nodiscard]] QString FormatDate(const QDate& date, const QString& pattern);

// The locale's long date format ("Monday, January 1, 2064" in US English).
[[nodiscard]] QString FormatLongDate(const QDate& date);

}  // namespace PackedDate
