#pragma once

#include "groups/CSetupDialog.h"

class C_M852_DateTime;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

// Date / Time Setup: the controller's date and time, "Synchronize with Computer" (takes the
// computer's date and time into the pickers; nothing is sent before OK), and the automatic
// daylight-saving adjustment with its two dates. OK writes registers 1250-1254 without further
// checks; the two daylight-saving dates are written even while the adjustment is off.
//
// The date pickers show the full year ("dd MMMM yyyy") and accept only 1 January 2000 to
// 31 December 2127, the dates a controller date register can hold; a date outside that range (the
// zero date before the first reply) shows as the nearest date of the range.
class SU_M852_DateTime : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_DateTime(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private slots:
    void cmdSysClock_Click();
    void chkEnableDST_Click();

private:
    void setDstControlsEnabled(bool on);

    QLabel* lblDate = nullptr;
    QDateEdit* dtpDate = nullptr;
    QLabel* lblTime = nullptr;
    QTimeEdit* dtpTime = nullptr;
    QPushButton* cmdSysClock = nullptr;
    QCheckBox* chkEnableDST = nullptr;
    QLabel* lblDST_ForwardDateTitle = nullptr;
    QDateEdit* dtpDST_ForwardDate = nullptr;
    QLabel* lblDST_BackwardDateTitle = nullptr;
    QDateEdit* dtpDST_BackwardDate = nullptr;
};
