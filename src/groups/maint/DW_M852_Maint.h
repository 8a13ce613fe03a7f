#pragma once

#include <QDate>

#include "groups/CDisplayWindow.h"

class C_M852_Maint;
class QGridLayout;
class QLabel;

// The Maintenance window: operating-time counters (hours:minutes), transfer counts, transfer times
// and the two dates. Its setup dialog holds the four maintenance commands.
class DW_M852_Maint : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_Maint(QWidget* parent = nullptr);
    DW_M852_Maint(std::unique_ptr<C_M852_Maint> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

    // "mm/dd/yyyy" with the computer's date separator ("/" when its short format has none).
    [[nodiscard]] static QString DateText(const QDate& date);

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    QLabel* addValue(QGridLayout* grid, const char* name, const QString& placeholder, int row, int column);

    C_M852_Maint* m_Maint = nullptr;
    QLabel* lblNotInPrefTotal = nullptr;
    QLabel* lblNotInPrefMaint = nullptr;
    QLabel* lblInStandbyTotal = nullptr;
    QLabel* lblInStandbyMaint = nullptr;
    QLabel* lblOperTimeTotal = nullptr;
    QLabel* lblOperTimeMaint = nullptr;
    QLabel* lblTransfersTotal = nullptr;
    QLabel* lblTransfersSinceReset = nullptr;
    QLabel* lblFailTransTotal = nullptr;
    QLabel* lblFailTransSinceReset = nullptr;
    QLabel* lblLostPrefTransTotal = nullptr;
    QLabel* lblLostPrefTransSinceReset = nullptr;
    QLabel* lblTransferTimeNE = nullptr;
    QLabel* lblTransferTimeEN = nullptr;
    QLabel* lblSysStartDate = nullptr;
    QLabel* lblMaintDate = nullptr;
};
