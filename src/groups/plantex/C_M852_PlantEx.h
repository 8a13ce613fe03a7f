#pragma once

#include <QDate>
#include <QTime>

#include "groups/CDataGroup.h"

// The exerciser: mode, the next manual and the next calendar exercise, the DIP switch warnings and
// the time left of a running exercise, plus the two commands "push to set/end" (remote exercise)
// and "disable manual exercise".
//
// Polled blocks: 900 × 4 (mode, run time, next manual exercise time and date), 743 × 1 (DIP
// switches), 1352 × 1 (manual exercise disabled), 650 × 3 (active timer), 905 × 4 (next calendar
// exercise). A reply whose start matches none of them is taken as the DIP switch register.
// Out-of-range values (a run time outside 0-5999 minutes, a time of day outside 0-1439, a negative
// date word) are dropped one by one: the field keeps its value, the rest of the reply is taken.
class C_M852_PlantEx : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 17;
    static constexpr qint32 kExerciseTimer = 14;  // register 650 while the exercise run timer runs
    static constexpr qint32 kMaxRunMinutes = 5999;

    explicit C_M852_PlantEx(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // 0 manual, 1 calendar, 2 calendar with manual override; any value is kept.
    [[nodiscard]] qint32 ExerMode() const { return m_ExerMode; }
    void setExerMode(qint32 mode) { m_ExerMode = mode; }
    // Manual exercise run time, minutes. A value outside 0-5999 is ignored.
    [[nodiscard]] qint32 ExerLength() const { return m_ExerLength; }
    void setExerLength(qint32 minutes);
    [[nodiscard]] QTime ExerTime() const { return m_ExerTime; }
    [[nodiscard]] QDate ExerDate() const { return m_ExerDate; }

    [[nodiscard]] bool CalExerPending() const { return m_CalExerPending; }
    [[nodiscard]] bool CalExerLoaded() const { return m_CalExerLoaded; }
    [[nodiscard]] QTime CalExerTime() const { return m_CalExerTime; }
    [[nodiscard]] QDate CalExerDate() const { return m_CalExerDate; }
    [[nodiscard]] qint32 CalExerLength() const { return m_CalExerLength; }

    [[nodiscard]] bool ManExerDisabled() const { return m_ManExerDisabled; }

    [[nodiscard]] qint32 ActiveTimer() const { return m_ActiveTimer; }
    // Tenths of a minute.
    [[nodiscard]] qint32 TimeRemaining() const { return m_TimeRemaining; }
    [[nodiscard]] qint32 TimeTotal() const { return m_TimeTotal; }

    [[nodiscard]] bool TransferInhibited() const { return m_TransferInhibited; }
    [[nodiscard]] bool ExerciseInhibited() const { return m_ExerciseInhibited; }
    [[nodiscard]] bool ExerciseLoaded() const { return m_ExerciseLoaded; }
    [[nodiscard]] qint32 TwoWeekExercise() const { return m_TwoWeekExercise; }

    // Register 1352 = 1: the controller skips its manual exercises.
    void SendDisableManExer();
    // Command register 1350 = 256 (function 6): starts an exercise of the manual run time, or ends
    // the one running.
    void SendRemoteExercise();

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    int FallbackBlock() const override;

private:
    qint32 m_ExerMode = 0;
    qint32 m_ExerLength = 0;
    QTime m_ExerTime{0, 0};
    QDate m_ExerDate;
    bool m_CalExerPending = false;
    bool m_CalExerLoaded = false;
    QTime m_CalExerTime{0, 0};
    QDate m_CalExerDate;
    qint32 m_CalExerLength = 0;
    bool m_ManExerDisabled = false;
    qint32 m_ActiveTimer = 0;
    qint32 m_TimeRemaining = 0;
    qint32 m_TimeTotal = 0;
    bool m_TransferInhibited = false;
    bool m_ExerciseInhibited = false;
    bool m_ExerciseLoaded = false;
    qint32 m_TwoWeekExercise = 0;
};
