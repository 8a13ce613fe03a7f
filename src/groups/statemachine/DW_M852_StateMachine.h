#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_StateMachine;
class QLabel;

// The State Machine window: one row per value of the controller's transfer logic, integers in
// decimal (negative with a leading "-") and the two flags as "TRUE" / "FALSE"; every value shows
// "---" until the first reply.
//
// The value labels are named lbl + the field they show (lblContactorState, lblContactorPosition,
// lblContactorFunction, lblPreferredSource, lblStandbySource, lblShutdownCause, lblAutoManual,
// lblForcingToOff, lblAreaProtection), the row titles lblTitle + the field.
class DW_M852_StateMachine : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_StateMachine(QWidget* parent = nullptr);
    // For tests and tools that bring their own message manager.
    DW_M852_StateMachine(std::unique_ptr<C_M852_StateMachine> data, QWidget* parent = nullptr);

protected:
    void UpdateDisplay() override;

private:
    enum Field {
        kContactorState,
        kContactorPosition,
        kContactorFunction,
        kPreferredSource,
        kStandbySource,
        kShutdownCause,
        kAutoManual,
        kForcingToOff,
        kAreaProtection,
        kFieldCount
    };
    C_M852_StateMachine* m_Sm = nullptr;
    QLabel* m_value[kFieldCount] = {};
};
