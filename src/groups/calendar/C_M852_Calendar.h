#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <array>

#include "groups/CDataGroup.h"

// The exerciser calendar: 21 scheduled exercise events in registers 910-993, four registers each
// (event n starts at 910 + 4 × (n - 1)): a flag word (bit 0 enabled, bit 1 loaded, bits 2-3 interval,
// bits 4-7 repeat rate, bit 8 highlighted = the next event to run; bits 9-15 ignored), the start time
// in minutes after midnight, the start date as a PackedDate word and the run time in minutes.
//
// Events are numbered 1 to 21; any other number is an IndexOutOfRangeError. The highlight is read
// only and written as 0. SendSetup always writes the whole table (function 16, 910 × 84); a start
// date outside 2000-2127 or a flag sum beyond 16 bits raises OverflowError and queues nothing.
class C_M852_Calendar : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 20;
    static constexpr int kEvents = 21;

    struct CalendarEvent {
        bool Enabled = false;
        bool Loaded = false;
        bool Highlight = false;
        qint32 Interval = 3;  // 0 day of month, 1 day, 2 week, 3 month
        qint32 RepeatRate = 1;
        QTime StartTime{0, 0};
        QDate StartDate{2000, 1, 1};
        qint16 RunTime = 0;  // minutes, kept raw
    };

    explicit C_M852_Calendar(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] const CalendarEvent& Event(int n) const;

    [[nodiscard]] bool Enabled(int n) const { return Event(n).Enabled; }
    void setEnabled(int n, bool v) { event(n).Enabled = v; }
    [[nodiscard]] bool Loaded(int n) const { return Event(n).Loaded; }
    void setLoaded(int n, bool v) { event(n).Loaded = v; }
    [[nodiscard]] bool Highlight(int n) const { return Event(n).Highlight; }
    [[nodiscard]] qint32 Interval(int n) const { return Event(n).Interval; }
    void setInterval(int n, qint32 v) { event(n).Interval = v; }
    [[nodiscard]] qint32 RepeatRate(int n) const { return Event(n).RepeatRate; }
    void setRepeatRate(int n, qint32 v) { event(n).RepeatRate = v; }
    [[nodiscard]] QTime StartTime(int n) const { return Event(n).StartTime; }
    void setStartTime(int n, const QTime& v) { event(n).StartTime = v; }
    [[nodiscard]] QDate StartDate(int n) const { return Event(n).StartDate; }
    void setStartDate(int n, const QDate& v) { event(n).StartDate = v; }
    [[nodiscard]] qint16 RunTime(int n) const { return Event(n).RunTime; }
    void setRunTime(int n, qint16 v) { event(n).RunTime = v; }

    // The "Exercise Interval" text of event n: "Every 3rd Wednesday", "Every Day", "Every 2 weeks",
    // "Every Month", "Unknown Period", ...
    [[nodiscard]] QString PeriodText(int n) const;

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    int FallbackBlock() const override { return 0; }

private:
    [[nodiscard]] CalendarEvent& event(int n);
    std::array<CalendarEvent, kEvents> m_events{};
};
