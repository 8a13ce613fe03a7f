#include "groups/calendar/C_M852_Calendar.h"

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"
#include "groups/datetime/PackedDate.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {910, 84},  // 21 events × 4 registers
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 910, 84},
};

}  // namespace

C_M852_Calendar::C_M852_Calendar(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

const C_M852_Calendar::CalendarEvent& C_M852_Calendar::Event(int n) const {
    if (n < 1 || n > kEvents) throw IndexOutOfRangeError();
    return m_events[std::size_t(n - 1)];
}

C_M852_Calendar::CalendarEvent& C_M852_Calendar::event(int n) {
    if (n < 1 || n > kEvents) throw IndexOutOfRangeError();
    return m_events[std::size_t(n - 1)];
}

QString C_M852_Calendar::PeriodText(int n) const {
    const CalendarEvent& e = Event(n);
    const qint32 r = e.RepeatRate;
    switch (e.Interval) {
        case 0: {
            // The r-th given weekday of the month, the weekday being that of the start date.
            static const char* const kSuffix[] = {"st", "nd", "rd", "th", "th"};
            if (r < 1 || r > 5) return QStringLiteral("Unknown Period");
            return QStringLiteral("Every %1%2 %3")
                .arg(r)
                .arg(QLatin1String(kSuffix[r - 1]))
                .arg(PackedDate::FormatDate(e.StartDate, QStringLiteral("dddd")));
        }
        case 1:
            return r == 1 ? QStringLiteral("Every Day") : QStringLiteral("Every %1 days").arg(r);
        case 2:
            return r == 1 ? QStringLiteral("Every Week") : QStringLiteral("Every %1 weeks").arg(r);
        case 3:
            return r == 1 ? QStringLiteral("Every Month") : QStringLiteral("Every %1 months").arg(r);
        default:
            return QStringLiteral("Unknown Period");
    }
}

void C_M852_Calendar::DecodeBlock(int, const Registers& r) {
    for (int n = 1; n <= kEvents; ++n) {
        const int b = 4 * (n - 1);
        CalendarEvent& e = event(n);
        const int flags = static_cast<quint16>(r[b]);
        e.Enabled = flags & 0x0001;
        e.Loaded = flags & 0x0002;
        e.Interval = (flags >> 2) & 0x3;
        e.RepeatRate = (flags >> 4) & 0xF;
        e.Highlight = flags & 0x0100;
        e.StartTime = PackedDate::TimeOfDay(r[b + 1]);
        e.StartDate = PackedDate::Decode(r[b + 2]);
        e.RunTime = r[b + 3];
    }
}

std::vector<qint16> C_M852_Calendar::EncodeBlock(int) const {
    std::vector<qint16> data;
    data.reserve(4 * kEvents);
    for (const CalendarEvent& e : m_events) {
        // Summed, not masked: the highlight (bit 8) and bits 9-15 are written as 0 unless an
        // out-of-range interval or repeat rate runs into them.
        const qint64 flags =
            (e.Enabled ? 1 : 0) + (e.Loaded ? 2 : 0) + qint64(e.Interval) * 4 + qint64(e.RepeatRate) * 16;
        if (flags < -32768 || flags > 65535) throw OverflowError();
        data.push_back(ToSignedWord(qint32(flags)));
        data.push_back(PackedDate::MinutesOf(e.StartTime));
        data.push_back(PackedDate::Encode(e.StartDate));
        data.push_back(e.RunTime);
    }
    return data;
}
