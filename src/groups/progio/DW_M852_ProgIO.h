#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_ProgIO;
class CUpDown;
class QGroupBox;
class QLabel;

// The Programmable Input/Output window: the functions of the main board's two inputs and output, and
// of the inputs and outputs of the module chosen with the up/down control (1 to 4). A code without
// a text leaves its label as it was.
class DW_M852_ProgIO : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_ProgIO(QWidget* parent = nullptr);
    DW_M852_ProgIO(std::unique_ptr<C_M852_ProgIO> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;
    QList<QWidget*> SetupTargets() const override;

private:
    static void setEventText(QLabel* label, qint32 code);

    C_M852_ProgIO* m_IO = nullptr;
    QLabel* lblMLBInput[2] = {};
    QLabel* lblMLBOutput = nullptr;
    QLabel* lblAddr = nullptr;
    CUpDown* updAddr = nullptr;
    QLabel* lblROBInput[2] = {};
    QLabel* lblROBOutput[6] = {};
    QList<QGroupBox*> m_frames;
};
