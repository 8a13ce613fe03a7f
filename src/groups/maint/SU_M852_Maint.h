#pragma once

#include "groups/CSetupDialog.h"

class C_M852_Maint;
class QPushButton;

// Maintenance Setup: four commands, each asked for with a Yes/No warning, and Close. There is
// nothing to edit, so the dialog has no OK: the base's OK and Cancel are hidden (Cancel, like Close
// and Escape, still just closes). Every command is sent at once and the dialog stays open.
//
// "Set System Start Date" is refused with a message (and nothing written) when the computer's date
// is outside 2000-2127, the years a PackedDate word can hold.
class SU_M852_Maint : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_Maint(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup&) override {}

private slots:
    void cmdReloadDefaults_Click();
    void cmdResetHistory_Click();
    void cmdResetMaint_Click();
    void cmdSetStartDate_Click();

private:
    void applyRole();
    // Shows the warning with the two given lines; true on Yes.
    bool confirm(const QString& line1, const QString& line2);
    void sendCommand(qint16 a, qint16 b);

    C_M852_Maint* m_Maint = nullptr;
    QPushButton* cmdReloadDefaults = nullptr;
    QPushButton* cmdResetHistory = nullptr;
    QPushButton* cmdResetMaint = nullptr;
    QPushButton* cmdSetStartDate = nullptr;
    QPushButton* cmdClose = nullptr;
};
