#pragma once

#include <QString>
#include <QtGlobal>

// Small routines several data groups share: time texts, time parsing, register-word conversions and
// the numeric range test behind the setup dialogs' text boxes (the widget half is in InputValidation).

// "mm:ss" (minutes not limited to 59, at least two digits each) of a duration in seconds; with
// decimals > 0 the fraction of a second follows after a ".". 75.5 s with one decimal -> "01:15.5",
// 4500 s -> "75:00". NaN, infinity and durations of 2^53 s or more give an empty text; decimals are
// limited to 0..9.
[[nodiscard]] QString FormatMinSec(double seconds, int decimals);

// The inverse of FormatMinSec: "h:m:s", "m:s" or "s" (each part a number, the last may have a
// fraction) -> total seconds × 10^decimals, rounded half to even. "01:15.5" with one decimal -> 755,
// "02:00" -> 120. Any part that is not a number, or a result beyond 32 bits, gives 0.
[[nodiscard]] qint32 ParseTimeText(const QString& text, int decimals);

// "m:ss" of whole seconds, minutes not padded: 125 -> "2:05", 59 -> "0:59".
[[nodiscard]] QString FormatMinutes(qint32 seconds);

// A register read as unsigned (0..65535) -> the signed 16-bit word with the same bit pattern. Values
// already in -32768..32767 pass unchanged; anything outside -32768..65535 is an OverflowError.
[[nodiscard]] qint16 ToSignedWord(qint32 value);

// Low and high byte of a 16-bit word; negative values give the bytes of their two's-complement
// pattern (HiByte(-1) = 255).
[[nodiscard]] quint8 LoByte(qint32 value);
[[nodiscard]] quint8 HiByte(qint32 value);

// True when `text` is a number (surrounding blanks allowed, "." as the decimal point) and
// min <= value <= max.
[[nodiscard]] bool IsNumberInRange(const QString& text, double min, double max);

// `text` as a number ("." as the decimal point, surrounding blanks allowed), or false in *ok.
[[nodiscard]] double ParseNumber(const QString& text, bool* ok);

// Round half to even (banker's rounding) in the default floating-point rounding mode.
[[nodiscard]] double RoundHalfEven(double value);

// A value with one decimal (or another power-of-ten scale) -> its register: value × scale rounded
// half to even. A result outside -32768..32767 is an OverflowError.
[[nodiscard]] qint16 ToRegister(double value, int scale);
