#pragma once

#include <QDate>
#include <QTime>

#include "groups/CDataGroup.h"

// The controller's real-time clock (registers 1250-1254): time of day in whole minutes, date, and
// the daylight-saving adjustment with the dates on which the clock is set ahead and back.
//
// Fields are kept decoded: the time as a time of day (no seconds), the dates as dates, the
// adjustment as a flag (register 1252 is "on" only when it holds 1; any other value reads as off and
// is written back as 0). Before the first reply the dates are the zero date (30 December 1899) and
// the time 00:00. The dates are written as PackedDate words, which hold 2000-2127 only: SendSetup
// with a date outside that range raises OverflowError and queues nothing.
class C_M852_DateTime : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 0;

    explicit C_M852_DateTime(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] QTime ClockTime() const { return m_ClockTime; }
    void setClockTime(const QTime& t) { m_ClockTime = t; }
    [[nodiscard]] QDate ClockDate() const { return m_ClockDate; }
    void setClockDate(const QDate& d) { m_ClockDate = d; }
    [[nodiscard]] bool EnableDST() const { return m_EnableDST; }
    void setEnableDST(bool on) { m_EnableDST = on; }
    [[nodiscard]] QDate DST_ForwardDate() const { return m_DST_ForwardDate; }
    void setDST_ForwardDate(const QDate& d) { m_DST_ForwardDate = d; }
    [[nodiscard]] QDate DST_BackwardDate() const { return m_DST_BackwardDate; }
    void setDST_BackwardDate(const QDate& d) { m_DST_BackwardDate = d; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    // The group has one block: every read reply is taken as the 1250 block.
    int FallbackBlock() const override { return 0; }

private:
    QTime m_ClockTime{0, 0};
    QDate m_ClockDate;
    bool m_EnableDST = false;
    QDate m_DST_ForwardDate;
    QDate m_DST_BackwardDate;
};
