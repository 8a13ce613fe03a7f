#pragma once

#include "groups/datetime/CTimeTextDialog.h"

class C_M852_PlantEx;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Exerciser Setup: the exerciser mode and the manual exercise run time (h:mm, 0:00 to 99:59), and
// two commands sent at once while the dialog stays open: "Push To Set/End" (remote exercise) and
// "Disable" (manual exercise). OK writes registers 900-901 only; the next manual exercise's date,
// time, period and load are shown, not written (they are set on the controller).
//
// The run-time box is checked on leaving (0-5999 minutes; invalid text turns light red and keeps the
// focus), so OK always has a run time it can convert.
class SU_M852_PlantEx : public CTimeTextDialog {
    Q_OBJECT
public:
    explicit SU_M852_PlantEx(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private slots:
    void cmdRemoteExercise_Click();
    void cmdDisableManExer_Click();

private:
    C_M852_PlantEx* m_Ex = nullptr;
    QRadioButton* optManMode = nullptr;
    QRadioButton* optCalendar = nullptr;
    QRadioButton* optCalendarOverride = nullptr;
    QLabel *lblExerDate = nullptr, *lblExerTime = nullptr, *lblExerPeriod = nullptr, *lblExerLoad = nullptr;
    QLineEdit* txtExerLength = nullptr;
    QPushButton* cmdRemoteExercise = nullptr;
    QPushButton* cmdDisableManExer = nullptr;
};
