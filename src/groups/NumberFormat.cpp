#include "groups/NumberFormat.h"

#include <cmath>

namespace NumberFormat {
namespace {

struct Picture {
    int minIntDigits = 0;      // "0" placeholders before the point
    bool hasIntPart = false;   // any placeholder before the point
    int fixedDecimals = 0;     // "0" placeholders after the point
    int optionalDecimals = 0;  // "#" placeholders after the point
    bool percent = false;      // a "%" anywhere: the value is shown times 100
    QString prefix;            // literal text before the first placeholder
    QString suffix;            // literal text after it (and any between placeholders)
};

bool isPlaceholder(QChar c) { return c == u'0' || c == u'#' || c == u'.' || c == u','; }

Picture parse(QStringView pattern) {
    Picture p;
    bool afterPoint = false;
    bool inNumber = false;  // a placeholder has been seen: literals from now on go after the number
    auto literal = [&](QChar c) { (inNumber ? p.suffix : p.prefix).append(c); };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'\\') {
            if (i + 1 < pattern.size()) literal(pattern[++i]);
            continue;
        }
        if (c == u'"') {
            while (++i < pattern.size() && pattern[i] != u'"') literal(pattern[i]);
            continue;
        }
        if (c == u'%') p.percent = true;
        if (!isPlaceholder(c)) {
            literal(c);
            continue;
        }
        inNumber = true;
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u'0') {
            if (afterPoint)
                ++p.fixedDecimals;
            else {
                ++p.minIntDigits;
                p.hasIntPart = true;
            }
        } else if (c == u'#') {
            if (afterPoint)
                ++p.optionalDecimals;
            else
                p.hasIntPart = true;
        }
    }
    return p;
}

}  // namespace

QString Fixed(double value, int decimals) {
    return Format(value, decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0"));
}

QString Format(double value, QStringView pattern) {
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    const Picture p = parse(pattern);
    const int decimals = p.fixedDecimals + p.optionalDecimals;
    if (p.percent) value *= 100.0;

    // Scale to an integer count of the last shown digit and round half to even there. Values too big
    // for that are printed by the library with the same rounding rule (it rounds half to even too).
    const double scaled = value * std::pow(10.0, decimals);
    QString digits;  // the rounded magnitude without point
    bool negative = false;
    if (std::fabs(scaled) < 9.0e15) {
        const double r = std::nearbyint(scaled);
        negative = r < 0;
        digits = QString::number(static_cast<qint64>(std::fabs(r)));
    } else {
        negative = value < 0;
        digits = QString::number(std::fabs(value), 'f', decimals).remove(u'.');
    }
    if (digits.size() <= decimals) digits = QString(decimals - digits.size() + 1, u'0') + digits;

    QString intPart = digits.left(digits.size() - decimals);
    QString fracPart = digits.right(decimals);
    // Optional fraction digits are dropped when they are zero.
    while (fracPart.size() > p.fixedDecimals && fracPart.endsWith(u'0')) fracPart.chop(1);

    // Integer digits: at least minIntDigits; a bare "#" or a pattern without integer placeholders
    // writes nothing for a zero integer part.
    if (intPart == QLatin1String("0") && p.minIntDigits == 0) intPart.clear();
    if (intPart.size() < p.minIntDigits) intPart.prepend(QString(p.minIntDigits - intPart.size(), u'0'));

    QString out = intPart;
    if (!fracPart.isEmpty())
        out += u'.' + fracPart;
    else if (decimals > 0 && p.fixedDecimals == 0 && out.isEmpty())
        out = QStringLiteral("0");
    if (out.isEmpty()) out = QStringLiteral("0");
    // A value that rounds to zero is shown without a sign.
    bool allZero = true;
    for (const QChar c : digits) allZero = allZero && c == u'0';
    out = p.prefix + out + p.suffix;
    if (negative && !allZero) out.prepend(u'-');
    return out;
}

}  // namespace NumberFormat
