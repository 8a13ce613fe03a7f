#pragma once

#include <QString>
#include <optional>

#include "groups/CDisplayWindow.h"

class C_M852_ActiveTimeDelay;
class QLabel;
class QProgressBar;
class QPushButton;

// The Active Time Delay window: the running timer's name, the time remaining ("m:ss.s"), the part
// already elapsed in percent and as a bar, and End Delay (enabled unless no timer runs or the timer
// is one the controller does not let end: Off to Standby, Off to Preferred, the exercise run).
// Timer names are texts 400 + code for codes 0-50 only; any other code reads "Unknown Time Delay"
// (ids 500 and up are window names, not timers).
class DW_M852_ActiveTimeDelay : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_ActiveTimeDelay(QWidget* parent = nullptr);
    DW_M852_ActiveTimeDelay(std::unique_ptr<C_M852_ActiveTimeDelay> data, QWidget* parent = nullptr);

    // The name of a timer code, or nothing for a code outside 0..50 (or missing from the table).
    [[nodiscard]] static std::optional<QString> TimerName(qint16 code);

protected:
    void UpdateDisplay() override;

private slots:
    void cmdEndDelay_Click();

private:
    C_M852_ActiveTimeDelay* m_Active = nullptr;
    QLabel* lblTimeDelay = nullptr;
    QLabel* lblTimeRemaining = nullptr;
    QLabel* lblPercentRemaining = nullptr;
    QProgressBar* pbrProgress = nullptr;
    QPushButton* cmdEndDelay = nullptr;
};
