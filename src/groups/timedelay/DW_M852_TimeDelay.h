#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_TimeDelay;
class QLabel;

// The Time Delays window: each delay as "mm:ss" ("mm:ss.s" for the two programmed-transition
// delays, under their own heading), with the unit "(mm:ss)" beside it.
class DW_M852_TimeDelay : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_TimeDelay(QWidget* parent = nullptr);
    DW_M852_TimeDelay(std::unique_ptr<C_M852_TimeDelay> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    C_M852_TimeDelay* m_Delays = nullptr;
    QLabel* m_value[10] = {};
};
