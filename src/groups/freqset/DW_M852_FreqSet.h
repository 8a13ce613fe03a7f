#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_FreqSet;
class QLabel;

// The Frequency Setpoints window: per source (label index 0 = N, 1 = E) the four thresholds in
// percent with their absolute hertz, and the dropout time. Until the nominal block has arrived the
// absolute values read (0.0 Hz).
class DW_M852_FreqSet : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_FreqSet(QWidget* parent = nullptr);
    DW_M852_FreqSet(std::unique_ptr<C_M852_FreqSet> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    void buildUi();

    C_M852_FreqSet* m_Set = nullptr;
    QLabel* lblUnderPick[2] = {};
    QLabel* lblUnderDrop[2] = {};
    QLabel* lblOverDrop[2] = {};
    QLabel* lblOverPick[2] = {};
    QLabel* lblDebounceTime[2] = {};
    QLabel* lblUnderPickFreq[2] = {};
    QLabel* lblUnderDropFreq[2] = {};
    QLabel* lblOverDropFreq[2] = {};
    QLabel* lblOverPickFreq[2] = {};
};
