#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

class C_M852_History;

// The texts of the event history, shared by the Event History window and `field-console-cli events`
// (no widgets here), so both show the same list and write the same log file.
namespace EventList {

// Codes 1..231 are shown; 0, 232 and above, and negative codes are empty records.
inline constexpr int kFirstShownCode = 1;
inline constexpr int kLastShownCode = 231;
// String-table ids: set text 3000 + code, cleared text 3500 + code.
inline constexpr int kSetTextBase = 3000;
inline constexpr int kClearedOffset = 500;

// The whole list: for every record 0..99 with a shown code, in ascending position, one line
// "TIME DATE    TEXT" ended by CR LF. TIME is "Short Time" (24-hour hours and minutes, two digits
// each, the locale's time separator), DATE "Short Date" (the locale's short date format in its order
// and with its separator, day and month with two digits and the year with four, so the columns line
// up and the century is never lost: 12/09/2028 in the US). A line that cannot be built (an event
// text missing from the string table) reads "DEBUG: Error Displaying message #" and the position.
[[nodiscard]] QString Build(const C_M852_History& data, const QLocale& locale = QLocale());

// One line without its CR LF (throws when it cannot be built).
[[nodiscard]] QString Line(qint16 time, const QDate& date, qint16 code, qint16 state,
                           const QLocale& locale = QLocale());

// "Short Time" of minutes after midnight: "09:05", "17:45" (carried into the next day).
[[nodiscard]] QString ShortTime(qint16 minutes, const QLocale& locale = QLocale());
// "Short Date": the locale's short date format with two-digit day and month and a four-digit year.
[[nodiscard]] QString ShortDate(const QDate& date, const QLocale& locale = QLocale());

// Last-loss labels. "h:mm AM" (12-hour clock, the locale's AM/PM designator), "MM/dd/yyyy" with the
// locale's date separator, and FormatMinutes of the duration (hours:minutes).
[[nodiscard]] QString LastLossTimeText(const QTime& time, const QLocale& locale = QLocale());
[[nodiscard]] QString LastLossDateText(const QDate& date, const QLocale& locale = QLocale());
[[nodiscard]] QString LastLossDurationText(qint32 minutes);

// The log file: `listText` followed by one CR LF. The file is written to a temporary file beside it,
// which then replaces it, so a failed write leaves an existing file as it was. Throws ComponentError
// (source "DW_M852_History::WriteLogFile") with the error's number and description on failure.
void WriteLogFile(const QString& fileName, const QString& listText);

}  // namespace EventList
