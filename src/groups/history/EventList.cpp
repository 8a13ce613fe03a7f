#include "groups/history/EventList.h"

#include <QRegularExpression>
#include <QSaveFile>

#include "base/ComponentError.h"
#include "base/StringTable.h"
#include "groups/SharedRoutines.h"
#include "groups/history/C_M852_History.h"

namespace {

// The first character of `format` that is neither a letter nor a blank: the separator the locale
// puts between the fields ("/" in M/d/yy, "." in dd.MM.yy, ":" in HH:mm). Quoted text is skipped.
QChar separatorOf(const QString& format, QChar fallback) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace()) return c;
    }
    return fallback;
}

const QString kLineFailed = QStringLiteral("DEBUG: Error Displaying message #");
const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

namespace EventList {

QString ShortTime(qint16 minutes, const QLocale& locale) {
    const QTime t = QTime(0, 0).addSecs(60 * int(minutes));
    const QChar sep = separatorOf(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
    return t.toString(QStringLiteral("HH")) + sep + t.toString(QStringLiteral("mm"));
}

QString ShortDate(const QDate& date, const QLocale& locale) {
    // Qt's short formats carry two-digit years (M/d/yy); a history that runs from 1999 to 2127
    // needs the century.
    static const QRegularExpression kTwoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    QString format = locale.dateFormat(QLocale::ShortFormat);
    format.replace(kTwoDigitYear, QStringLiteral("yyyy"));
    return locale.toString(date, format);
}

QString Line(qint16 time, const QDate& date, qint16 code, qint16 state, const QLocale& locale) {
    if (!date.isValid()) throw OverflowError();
    const int id = kSetTextBase + code + (state == 1 ? 0 : kClearedOffset);
    return ShortTime(time, locale) + QLatin1Char(' ') + ShortDate(date, locale) + QStringLiteral("    ") +
           StringTable::text(id);
}

QString Build(const C_M852_History& data, const QLocale& locale) {
    QString text;
    text.reserve(4096);
    for (int i = 0; i < C_M852_History::kRecords; ++i) {
        const qint16 code = data.EventCode(i);
        if (code < kFirstShownCode || code > kLastShownCode) continue;
        try {
            text += Line(data.EventTime(i), data.EventDate(i), code, data.EventData(i, 1), locale);
        } catch (...) {
            text += kLineFailed + QString::number(i);
        }
        text += kCrLf;
    }
    return text;
}

QString LastLossTimeText(const QTime& time, const QLocale& locale) {
    const int h12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString ampm = time.hour() < 12 ? locale.amText() : locale.pmText();
    return QString::number(h12) + QLatin1Char(':') + time.toString(QStringLiteral("mm")) + QLatin1Char(' ') +
           ampm;
}

QString LastLossDateText(const QDate& date, const QLocale& locale) {
    const QChar sep = separatorOf(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
    return date.toString(QStringLiteral("MM")) + sep + date.toString(QStringLiteral("dd")) + sep +
           date.toString(QStringLiteral("yyyy"));
}

QString LastLossDurationText(qint32 minutes) {
    // FormatMinutes splits a count by 60 into "#0:00"; fed minutes it reads hours:minutes.
    return FormatMinutes(minutes);
}

void WriteLogFile(const QString& fileName, const QString& listText) {
    const QString source = QStringLiteral("DW_M852_History::WriteLogFile");
    QSaveFile file(fileName);
    // No direct-write fallback: if the temporary file cannot be made, the old log stays whole.
    file.setDirectWriteFallback(false);
    // Unbuffered: with a write buffer the bytes reach the disk only when commit() flushes, and a
    // failing flush (disk full, file size limit) would still let commit() replace the good log with
    // a truncated one. Written directly, a short write is seen here and nothing is committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const bool denied = file.error() == QFileDevice::PermissionsError;
        throw ComponentError(denied ? 70 : 75, source,
                             QStringLiteral("%1: %2 (%3)")
                                 .arg(denied ? QStringLiteral("Permission denied")
                                             : QStringLiteral("Path/File access error"),
                                      fileName, file.errorString()));
    }
    const QByteArray bytes = (listText + kCrLf).toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError ||
        !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw ComponentError(57, source,
                             QStringLiteral("Device I/O error: %1 (%2)").arg(fileName, reason));
    }
}

}  // namespace EventList
