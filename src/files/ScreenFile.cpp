#include "files/ScreenFile.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "groups/SharedRoutines.h"

namespace ScreenFile {

QString FormatTwips(double twips) {
    // Stored as a single-precision number: round through float, then print at most 7 significant
    // digits in plain notation with "." regardless of the user's locale.
    const float f = static_cast<float>(twips);
    QString s = QLocale::c().toString(double(f), 'f', 3);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QByteArray Write(const QList<Entry>& entries) {
    QByteArray out;
    for (const Entry& e : entries) {
        out += QByteArray::number(e.winId) + ',' + FormatTwips(e.top).toLatin1() + ',' +
               FormatTwips(e.left).toLatin1() + ',' + QByteArray::number(e.state) + "\r\n";
    }
    return out;
}

namespace {

bool toInt32(const QByteArray& token, qint32& out) {
    bool ok = false;
    const double v = ParseNumber(QString::fromLatin1(token), &ok);
    if (!ok) return false;
    const double r = RoundHalfEven(v);
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        return false;
    out = static_cast<qint32>(r);
    return true;
}

}  // namespace

QList<ReadEntry> Read(const QByteArray& contents) {
    QList<ReadEntry> result;
    qint32 pending[4] = {};
    int have = 0;
    QByteArray text = contents;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        for (const QByteArray& token : line.split(',')) {
            qint32 v = 0;
            if (!toInt32(token.trimmed(), v)) {
                have = 0;  // resynchronise at the next line
                break;
            }
            pending[have++] = v;
            if (have == 4) {
                result.append({pending[0], pending[1], pending[2], pending[3]});
                have = 0;
            }
        }
    }
    return result;
}

}  // namespace ScreenFile
