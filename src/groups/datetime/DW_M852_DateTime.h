#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_DateTime;
class QLabel;

// The Date / Time window: the controller's time of day ("h:mm AM") and date (the computer's long date
// format). Both read "---" until the first reply. The daylight-saving setting is shown only in the
// setup dialog.
class DW_M852_DateTime : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_DateTime(QWidget* parent = nullptr);
    DW_M852_DateTime(std::unique_ptr<C_M852_DateTime> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    C_M852_DateTime* m_Clock = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblDate = nullptr;
};
