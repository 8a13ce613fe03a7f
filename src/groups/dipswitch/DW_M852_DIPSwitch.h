#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_DIPSwitch;
class QLabel;

// The DIP Switch Settings window: one line per switch, the text of its position. "TRANSFER
// INHIBITED" is red, "TRANSFER PERMITTED" black; until the first reply every line reads "---" in the
// system's window-text colour. No setup dialog: the switches are set on the board.
class DW_M852_DIPSwitch : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_DIPSwitch(QWidget* parent = nullptr);
    DW_M852_DIPSwitch(std::unique_ptr<C_M852_DIPSwitch> data, QWidget* parent = nullptr);

protected:
    void UpdateDisplay() override;

private:
    C_M852_DIPSwitch* m_Dip = nullptr;
    QLabel* lblTransferInhibit = nullptr;
    QLabel* lblTestLoad = nullptr;
    QLabel* lblExerciseInhibit = nullptr;
    QLabel* lblExerciseLoad = nullptr;
    QLabel* lblManExercisePeriod = nullptr;
};
