#pragma once

#include "groups/CSetupDialog.h"

class QLabel;
class QLineEdit;

// Frequency Setpoints Setup: per source (control index 0 = N, 1 = E) the four percentages and the
// dropout time, each range-checked when the box is left, and a live absolute value beside each
// percentage, computed from the texts as they are typed (taken as decimals) with the unrounded
// nominal frequency. OK writes registers 55-64 in one packet.
class SU_M852_FreqSet : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_FreqSet(QWidget* parent = nullptr);

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
    QLabel* lblUnderPickFreq[2] = {};
    QLabel* lblUnderDropFreq[2] = {};
    QLabel* lblOverDropFreq[2] = {};
    QLabel* lblOverPickFreq[2] = {};
    double m_nominal[2] = {};
};
