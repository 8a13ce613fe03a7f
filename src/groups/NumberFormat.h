#pragma once

#include <QString>
#include <QStringView>

// Numeric display formats of the windows and dialogs, written once so that every group formats alike.
//
// A pattern is a small picture of the number: "0" (whole number), "00" (at least two digits), "#0"
// (no padding), "0.0" (one decimal), ".0" (only the fraction), "0.00" and so on. A "0" is a digit that
// is always written, a "#" one that is written only when needed. The decimal point is always ".".
// Rounding to the last shown digit is half to even (the value is scaled and std::nearbyint is used in
// the default rounding mode), so 480.5 with "0" gives 480 and 481.5 gives 482.
namespace NumberFormat {

[[nodiscard]] QString Format(double value, QStringView pattern);

// value rounded half to even to `decimals` places, as "-123.45" (always "." as the point, no
// grouping, no exponent, trailing zeros kept, "0" before the point).
[[nodiscard]] QString Fixed(double value, int decimals);

}  // namespace NumberFormat
