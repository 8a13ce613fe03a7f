#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_CFault;
class QLabel;
class QPlainTextEdit;

// The Common Alarms window: the texts of the assigned events, one a line, in slot order.
class DW_M852_CFault : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_CFault(QWidget* parent = nullptr);
    DW_M852_CFault(std::unique_ptr<C_M852_CFault> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;
    QList<QWidget*> SetupTargets() const override;

private:
    C_M852_CFault* m_Faults = nullptr;
    QLabel* lblTitle = nullptr;
    QPlainTextEdit* txtCommonFaults = nullptr;
    QString m_text;
};
