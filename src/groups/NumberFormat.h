#pragma once

#include <QString>
#include <QStringView>

// Numeric display formats of the windows and dialogs, written once so that every group formats alike.
//
// A pattern is a small picture of the number, as in Visual Basic's Format: "0" (whole number), "00"
// (at least two digits), "#0" (no padding), "0.0" (one decimal), ".0" (only the fraction), "0.00" and
// so on. A "0" is a digit that is always written, a "#" one that is written only when needed. The
// decimal point is always ".". Rounding to the last shown digit is half to even (the value is scaled
// and std::nearbyint is used in the default rounding mode), so 480.5 with "0" gives 480 and 481.5
// gives 482.
//
// Everything else in the pattern is literal text, written where it stands before or after the number:
// "(0 V)" gives "(432 V)", "0.0 Hz" gives "60.0 Hz", "0V" gives "432V". A character after "\" and
// text in double quotes are literal too, so a "0" or "#" can be written as text ("\#0" gives "#7").
//
// "%" is written as it stands and, as in Visual Basic, multiplies the value by 100 first: "(0%)" of
// 0.75 gives "(75%)". This is what the windows need: the active time delay shows the part of a delay
// already elapsed as 1 - remaining / total formatted "(0%)" (0.75 -> "(75%)"), and the exerciser
// shows remaining / total the same way (0.5 -> "(50%)"); both hand a fraction, not a percentage.
// A window whose value already is a percentage (the setpoint percentages, stored as whole percent)
// formats it with "0" and puts its "%" into the label's own text instead.
//
// A negative value gets its "-" in front of the whole text, literals included ("(0 V)" of -5 gives
// "-(5 V)"); a value that rounds to zero is written without a sign. Not supported, because no window
// needs them: several sections separated by ";", thousands separators and scaling with "," (a ","
// is ignored), scientific notation, and literal text between two digit placeholders (such text is
// written after the number).
namespace NumberFormat {

[[nodiscard]] QString Format(double value, QStringView pattern);

// value rounded half to even to `decimals` places, as "-123.45" (always "." as the point, no
// grouping, no exponent, trailing zeros kept, "0" before the point).
[[nodiscard]] QString Fixed(double value, int decimals);

}  // namespace NumberFormat
