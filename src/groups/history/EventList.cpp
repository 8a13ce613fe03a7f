#include "groups/history/EventList.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <optional>

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

// The locale's parts of a list line, worked out once per list rather than once per line (the
// format rewriting alone costs more than formatting a date).
struct LineFormat {
    explicit LineFormat(const QLocale& l) : locale(l) {
        timeSeparator = separatorOf(l.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
        // Qt's short formats carry two-digit years (M/d/yy); a history that runs from 1999 to 2127
        // needs the century. Day and month get two digits, so the text column of the list lines up
        // (6/7/2024 and 6/10/2024 would shift it by one).
        static const QRegularExpression kTwoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
        static const QRegularExpression kOneDigitDay(QStringLiteral("(?<!d)d(?!d)"));
        static const QRegularExpression kOneDigitMonth(QStringLiteral("(?<!M)M(?!M)"));
        dateFormat = l.dateFormat(QLocale::ShortFormat);
        dateFormat.replace(kTwoDigitYear, QStringLiteral("yyyy"));
        dateFormat.replace(kOneDigitDay, QStringLiteral("dd"));
        dateFormat.replace(kOneDigitMonth, QStringLiteral("MM"));
    }

    [[nodiscard]] QString time(qint16 minutes) const {
        // Minutes after midnight, carried into the next day: 1445 is 00:05.
        const int m = ((int(minutes) % 1440) + 1440) % 1440;
        QString text(5, Qt::Uninitialized);
        text[0] = QChar(u'0' + m / 600);
        text[1] = QChar(u'0' + (m / 60) % 10);
        text[2] = timeSeparator;
        text[3] = QChar(u'0' + (m % 60) / 10);
        text[4] = QChar(u'0' + m % 10);
        return text;
    }
    [[nodiscard]] QString date(const QDate& d) const { return locale.toString(d, dateFormat); }

    [[nodiscard]] QString line(qint16 time, const QDate& date, qint16 code, qint16 state) const {
        if (!date.isValid()) throw OverflowError();
        return line(time, this->date(date), code, state);
    }
    [[nodiscard]] QString line(qint16 time, const QString& dateText, qint16 code, qint16 state) const {
        const int id = EventList::kSetTextBase + code + (state == 1 ? 0 : EventList::kClearedOffset);
        return this->time(time) + QLatin1Char(' ') + dateText + QStringLiteral("    ") +
               StringTable::text(id);
    }

    const QLocale& locale;
    QChar timeSeparator;
    QString dateFormat;
};

}  // namespace

namespace EventList {

QString ShortTime(qint16 minutes, const QLocale& locale) { return LineFormat(locale).time(minutes); }

QString ShortDate(const QDate& date, const QLocale& locale) { return LineFormat(locale).date(date); }

QString Line(qint16 time, const QDate& date, qint16 code, qint16 state, const QLocale& locale) {
    return LineFormat(locale).line(time, date, code, state);
}

QString Build(const C_M852_History& data, const QLocale& locale) {
    const LineFormat format(locale);
    QString text;
    text.reserve(6000);
    // Events come in episodes, so neighbouring records mostly share their date: format it once.
    std::optional<qint16> lastWord;
    QString lastDate;
    for (int i = 0; i < C_M852_History::kRecords; ++i) {
        const qint16 code = data.EventCode(i);
        if (code < kFirstShownCode || code > kLastShownCode) continue;
        try {
            const qint16 word = data.EventDateWord(i);
            if (word != lastWord) {
                const QDate date = data.EventDate(i);
                if (!date.isValid()) throw OverflowError();
                lastDate = format.date(date);
                lastWord = word;
            }
            text += format.line(data.EventTime(i), lastDate, code, data.EventData(i, 1));
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
        throw ComponentError(
            denied ? 70 : 75, source,
            QStringLiteral("%1: %2 (%3)")
                .arg(denied ? QStringLiteral("Permission denied") : QStringLiteral("Path/File access error"),
                     fileName, file.errorString()));
    }
    const QByteArray bytes = (listText + kCrLf).toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError ||
        !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw ComponentError(57, source, QStringLiteral("Device I/O error: %1 (%2)").arg(fileName, reason));
    }
}

}  // namespace EventList
