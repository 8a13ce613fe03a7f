#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_NIP;
class QLabel;

// The Network Port window: address and baud rate of the controller's network port, with its fixed
// parity ("none") and stop bits ("1"). A baud-rate code outside the table (1 to 8) is shown as
// "Unknown (code N)", so a controller reporting something odd is seen as such rather than as a
// blank or a made-up rate.
//
// The row titles are named lblTitle + the field of the row (lblTitleAddr, lblTitleBaudRate,
// lblTitleParity, lblTitleStopBits).
class DW_M852_NIP : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_NIP(QWidget* parent = nullptr);
    // For tests and tools that bring their own message manager.
    DW_M852_NIP(std::unique_ptr<C_M852_NIP> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

    // The text the window shows for a baud-rate code.
    [[nodiscard]] static QString BaudRateText(qint32 code);

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    C_M852_NIP* m_Nip = nullptr;
    QLabel* lblAddr = nullptr;
    QLabel* lblBaudRate = nullptr;
};
