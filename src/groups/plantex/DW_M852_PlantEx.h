#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_PlantEx;
class QGroupBox;
class QLabel;

// The Exerciser window: mode, next manual exercise, next calendar exercise (kept as last shown while
// none is pending), DIP switch warnings, and the time left of a running exercise with its share of
// the full run. Frames that do not apply in the current mode are greyed.
class DW_M852_PlantEx : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_PlantEx(QWidget* parent = nullptr);
    DW_M852_PlantEx(std::unique_ptr<C_M852_PlantEx> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

    // The texts shared with the setup dialog.
    [[nodiscard]] static QString ModeText(qint32 mode);
    [[nodiscard]] static QString DateText(const QDate& date);
    [[nodiscard]] static QString PeriodText(qint32 twoWeek);
    [[nodiscard]] static QString LoadText(bool loaded);
    // "h:mm:ss" and "(p%)" of the exercise run timer; nothing for the percentage when the total is
    // not above 0 (the label keeps its text).
    [[nodiscard]] static QString TimeRemainingText(qint32 tenthsOfMinute);
    [[nodiscard]] static QString PercentText(qint32 remaining, qint32 total);

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;
    // The labels and the frames.
    QList<QWidget*> SetupTargets() const override;

private:
    QLabel* valueLabel(const char* name, const QString& initial = QStringLiteral("---"));

    C_M852_PlantEx* m_Ex = nullptr;
    QLabel* lblExerMode = nullptr;
    QGroupBox* fraManExer = nullptr;
    QLabel *lblExerDate = nullptr, *lblExerTime = nullptr, *lblExerPeriod = nullptr, *lblExerLoad = nullptr,
           *lblExerLength = nullptr;
    QGroupBox* fraCalExer = nullptr;
    QLabel *lblCalExerDate = nullptr, *lblCalExerTime = nullptr, *lblCalExerLoad = nullptr,
           *lblCalExerLength = nullptr;
    QGroupBox* fraWarnings = nullptr;
    QLabel *lblExerInhibitedIndicator = nullptr, *lblTransferInhibitedIndicator = nullptr;
    QLabel *lblTimeRemaining = nullptr, *lblPercentRemaining = nullptr;
};
