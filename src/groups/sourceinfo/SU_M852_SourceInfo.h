#pragma once

#include "groups/CSetupDialog.h"

class QLineEdit;
class QRadioButton;

// Source Info Setup: system voltage, system frequency and phases of Source N (control index 0) and
// Source E (index 1), and the expected phase rotation. OK writes registers 23 to 29.
class SU_M852_SourceInfo : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_SourceInfo(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    // A voltage text that is not a number or does not fit the register leaves that source's system
    // voltage unchanged; every other field is still taken and written.
    void Commit(CDataGroup& data) override;

private:
    QLineEdit* txtSysVoltage[2] = {};
    QRadioButton* optFreq60[2] = {};
    QRadioButton* optFreq50[2] = {};
    QRadioButton* optPhases3[2] = {};
    QRadioButton* optPhases1[2] = {};
    QRadioButton* optRotateABC = nullptr;
    QRadioButton* optRotateCBA = nullptr;
};
