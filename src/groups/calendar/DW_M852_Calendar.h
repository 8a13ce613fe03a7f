#pragma once

#include <array>

#include "groups/CDisplayWindow.h"

class C_M852_Calendar;
class QLabel;

// The Exerciser Calendar window ("Calendar Mode"): a table of the 21 calendar events, one row each
// (event number, next start date, start time, run time, loaded, exercise interval). A disabled event's
// row is greyed; the event the controller runs next (highlighted) is shown in bold.
class DW_M852_Calendar : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_Calendar(QWidget* parent = nullptr);
    DW_M852_Calendar(std::unique_ptr<C_M852_Calendar> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    struct Row {
        QLabel* lblEventNo = nullptr;
        QLabel* lblStartDate = nullptr;
        QLabel* lblStartTime = nullptr;
        QLabel* lblRunTime = nullptr;
        QLabel* lblLoaded = nullptr;
        QLabel* lblPeriod = nullptr;
        [[nodiscard]] std::array<QLabel*, 6> all() const {
            return {lblEventNo, lblStartDate, lblStartTime, lblRunTime, lblLoaded, lblPeriod};
        }
    };

    C_M852_Calendar* m_Cal = nullptr;
    std::array<Row, 21> m_rows{};
};
