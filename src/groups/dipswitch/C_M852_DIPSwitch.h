#pragma once

#include "groups/CDataGroup.h"

// The five configuration DIP switches on the controller board (register 743, one bit each; bits
// 5-15 are ignored). Read only.
class C_M852_DIPSwitch : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 2;

    explicit C_M852_DIPSwitch(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] bool TransferInhibited() const { return m_TransferInhibited; }  // bit 0
    [[nodiscard]] bool TestLoaded() const { return m_TestLoaded; }                // bit 1
    [[nodiscard]] bool ExerciseInhibited() const { return m_ExerciseInhibited; }  // bit 2
    [[nodiscard]] bool ExerciseLoaded() const { return m_ExerciseLoaded; }        // bit 3
    // Bit 4: 1 = two-week manual exercise period, 0 = one week.
    [[nodiscard]] qint32 TwoWeekExercise() const { return m_TwoWeekExercise; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    int FallbackBlock() const override { return 0; }

private:
    bool m_TransferInhibited = false;
    bool m_TestLoaded = false;
    bool m_ExerciseInhibited = false;
    bool m_ExerciseLoaded = false;
    qint32 m_TwoWeekExercise = 0;
};
