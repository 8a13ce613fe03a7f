#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_LoadCtrl;
class QLabel;

// The Load Control window: the 36 load disconnect and reconnect delays as "m:ss" (lblTime_0 ..
// lblTime_35, indexes as in C_M852_LoadCtrl).
class DW_M852_LoadCtrl : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_LoadCtrl(QWidget* parent = nullptr);
    DW_M852_LoadCtrl(std::unique_ptr<C_M852_LoadCtrl> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    QList<QWidget*> SetupTargets() const override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    C_M852_LoadCtrl* m_Load = nullptr;
    QLabel* lblTime[36] = {};
};
