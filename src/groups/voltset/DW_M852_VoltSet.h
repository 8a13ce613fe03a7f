#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_VoltSet;
class QLabel;

// The Voltage Setpoints window: per source (label index 0 = N, 1 = E) the four thresholds in percent
// with their absolute volts, and the debounce time. The absolute values use the unrounded nominal
// voltage; until the nominal block has arrived they read (0 V).
class DW_M852_VoltSet : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_VoltSet(QWidget* parent = nullptr);
    DW_M852_VoltSet(std::unique_ptr<C_M852_VoltSet> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    void buildUi();

    C_M852_VoltSet* m_Set = nullptr;
    QLabel* lblUnderPick[2] = {};
    QLabel* lblUnderDrop[2] = {};
    QLabel* lblOverDrop[2] = {};
    QLabel* lblOverPick[2] = {};
    QLabel* lblDebounceTime[2] = {};
    QLabel* lblUnderPickVolt[2] = {};
    QLabel* lblUnderDropVolt[2] = {};
    QLabel* lblOverDropVolt[2] = {};
    QLabel* lblOverPickVolt[2] = {};
};
