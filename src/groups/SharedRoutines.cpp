#include "groups/SharedRoutines.h"

#include <QLocale>
#include <QStringList>
#include <cfenv>
#include <cmath>
#include <limits>

#include "base/ComponentError.h"
#include "groups/NumberFormat.h"

namespace {
// "." as the decimal point in every locale; "1,5" is not a number (not 15 with a group separator).
const QLocale& numberLocale() {
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        return c;
    }();
    return locale;
}
}  // namespace

double RoundHalfEven(double value) {
    // nearbyint follows the current rounding mode; the program never changes it from
    // round-to-nearest-even, but a library might, so it is checked rather than assumed.
    if (std::fegetround() != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    return std::nearbyint(value);
}

double ParseNumber(const QString& text, bool* ok) {
    const QString t = text.trimmed();
    bool good = false;
    double v = 0;
    // Only plain decimal numbers: QLocale::c() would also take "inf" and "nan".
    if (!t.isEmpty() && (t.at(0).isDigit() || t.at(0) == u'.' || t.at(0) == u'-' || t.at(0) == u'+'))
        v = numberLocale().toDouble(t, &good);
    good = good && std::isfinite(v);
    if (ok) *ok = good;
    return good ? v : 0.0;
}

QString FormatMinSec(double seconds, int decimals) {
    // Beyond 2^53 a double no longer holds every whole second, and the integer conversions below
    // would be undefined past 2^63: such durations (and NaN/infinity) have no text.
    constexpr double kMaxSeconds = 9007199254740992.0;  // 2^53
    constexpr int kMaxDecimals = 9;                     // 10^9 steps still fit the integer below
    if (!std::isfinite(seconds) || std::fabs(seconds) >= kMaxSeconds) return QString();
    decimals = qBound(0, decimals, kMaxDecimals);
    double whole = std::floor(seconds);
    const double fraction = seconds - whole;
    QString fractionText;
    if (decimals > 0) {
        // The fraction is shown rounded to `decimals`; when it rounds up to a whole second (59.96 s
        // with one decimal) the second is carried, so the text reads 01:00.0 rather than 00:591.0.
        const double unit = std::pow(10.0, decimals);
        double steps = RoundHalfEven(fraction * unit);
        if (steps >= unit) {
            whole += 1;
            steps = 0;
        }
        fractionText = u'.' + QString::number(static_cast<qint64>(steps)).rightJustified(decimals, u'0');
    }
    // Minutes by integer division truncating toward zero, seconds what remains.
    const qint64 total = static_cast<qint64>(whole);
    const qint64 m = total / 60;
    const qint64 s = total - 60 * m;
    return NumberFormat::Format(double(m), u"00") + u':' + NumberFormat::Format(double(s), u"00") +
           fractionText;
}

qint32 ParseTimeText(const QString& text, int decimals) {
    const QStringList parts = text.split(u':');
    double sum = 0;
    double weight = 1;
    for (qsizetype i = parts.size() - 1; i >= 0; --i) {
        bool ok = false;
        const double v = ParseNumber(parts.at(i), &ok);
        if (!ok) return 0;
        sum += v * weight;
        weight *= 60;
    }
    const double scaled = RoundHalfEven(sum * std::pow(10.0, decimals));
    if (!std::isfinite(scaled) || scaled < double(std::numeric_limits<qint32>::min()) ||
        scaled > double(std::numeric_limits<qint32>::max()))
        return 0;
    return static_cast<qint32>(scaled);
}

QString FormatMinutes(qint32 seconds) {
    const qint64 s = seconds;
    const qint64 abs = s < 0 ? -s : s;
    return NumberFormat::Format(double(s / 60), u"#0") + u':' + NumberFormat::Format(double(abs % 60), u"00");
}

qint16 ToSignedWord(qint32 value) {
    if (value < -32768 || value > 65535) throw OverflowError();
    return static_cast<qint16>(value < 32768 ? value : value - 65536);
}

quint8 LoByte(qint32 value) { return static_cast<quint8>(static_cast<quint32>(value) & 0xFFu); }

quint8 HiByte(qint32 value) { return static_cast<quint8>((static_cast<quint32>(value) >> 8) & 0xFFu); }

bool IsNumberInRange(const QString& text, double min, double max) {
    bool ok = false;
    const double v = ParseNumber(text, &ok);
    return ok && min <= v && v <= max;
}

qint16 ToRegister(double value, int scale) {
    const double r = RoundHalfEven(value * scale);
    if (!(r >= -32768.0 && r <= 32767.0)) throw OverflowError();
    return static_cast<qint16>(r);
}
