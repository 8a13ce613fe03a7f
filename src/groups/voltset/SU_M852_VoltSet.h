#pragma once

#include "groups/CSetupDialog.h"

class QLabel;
class QLineEdit;

// Voltage Setpoints Setup: per source (control index 0 = N, 1 = E) the four percentages and the
// debounce time, each range-checked when the box is left, and a live absolute value beside each
// percentage, computed from the texts as they are typed with the nominal voltage rounded to whole
// volts. OK writes registers 45-49 and then 50-54.
class SU_M852_VoltSet : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_VoltSet(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    void updateLiveLabels(int source);

    QLineEdit* txtUnderPick[2] = {};
    QLineEdit* txtUnderDrop[2] = {};
    QLineEdit* txtOverDrop[2] = {};
    QLineEdit* txtOverPick[2] = {};
    QLineEdit* txtDebounceTime[2] = {};
    QLabel* lblUnderPickVolts[2] = {};
    QLabel* lblUnderDropVolts[2] = {};
    QLabel* lblOverDropVolts[2] = {};
    QLabel* lblOverPickVolts[2] = {};
    double m_nominal[2] = {};
};
