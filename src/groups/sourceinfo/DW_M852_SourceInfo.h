#pragma once

#include <QList>

#include "groups/CDisplayWindow.h"

class C_M852_SourceInfo;
class QLabel;

// The Source Info window: measured and configured values of Source N (label index 1) and Source E
// (label index 2). A single-phase source shows only its one line-to-line voltage (in the C-A row),
// frequency, phases and system values; when both are single-phase the C-A row is titled
// "Voltage L1 - L2" and the rows that no source uses lose their titles too.
class DW_M852_SourceInfo : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_SourceInfo(QWidget* parent = nullptr);
    // For tests and tools that bring their own message manager.
    DW_M852_SourceInfo(std::unique_ptr<C_M852_SourceInfo> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    // One row: its title and, per source (1 = N, 2 = E), the value and unit labels.
    struct Row {
        QLabel* title = nullptr;
        QLabel* value[3] = {};
        QLabel* unit[3] = {};
    };
    Row addRow(const QString& name, const QString& title, const QString& placeholder, const QString& unit);
    void buildUi();

    C_M852_SourceInfo* m_Src = nullptr;
    int m_nextRow = 1;
    Row m_VoltAB, m_VoltBC, m_VoltCA, m_VoltAN, m_VoltBN, m_VoltCN;
    Row m_Freq, m_Phases, m_ActRotation, m_ExpRotation, m_SysVolt, m_SysFreq;
};
