#pragma once

#include <array>

#include "groups/datetime/CTimeTextDialog.h"

class C_M852_Calendar;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTimeEdit;

// Calendar Mode Setup: the 21 calendar events, one row each (control index = event number 1-21):
// enabled, start date, start time, run time (h:mm), loaded, interval and repeat rate. OK always
// writes the whole table (registers 910-993).
//
// The run-time boxes (0-5999 minutes) and the repeat-rate boxes (1-12) are checked on leaving:
// invalid text turns light red and keeps the focus, and OK does nothing while a box is invalid, so
// the OK handler never meets a text it cannot convert. A value read from the controller outside
// those ranges therefore has to be corrected before OK. The date pickers accept 1 January 2000 to
// 31 December 2127, what a date register can hold; a start date outside that range counts as a
// failure while filling (the picker keeps 1 January 2000) and is reported with the one message.
class SU_M852_Calendar : public CTimeTextDialog {
    Q_OBJECT
public:
    explicit SU_M852_Calendar(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    struct Row {
        QCheckBox* chkEnabled = nullptr;
        QDateEdit* dtpStartDate = nullptr;
        QTimeEdit* dtpStartTime = nullptr;
        QLineEdit* txtRunTime = nullptr;
        QCheckBox* chkLoaded = nullptr;
        QComboBox* cboInterval = nullptr;
        QLineEdit* txtRepeatRate = nullptr;
    };
    std::array<Row, 21> m_rows{};
};
