#pragma once

#include "groups/CSetupDialog.h"

class QComboBox;
class QLineEdit;
class QToolButton;

// Network Port Setup: the controller's network-port address and baud rate. OK writes registers
// 1000-1003 (1002 and 1003 always as 1).
//
// - The address box shows the stored address when it is a valid Modbus slave address, 1 to 247 (the
//   range the hint names), and is empty otherwise. OK takes 1 to 247 only: any other text, an empty
//   box included, turns the box light red and keeps the dialog open, so a typed change is never
//   dropped while the dialog closes as if it had been written.
// - The baud-rate list offers 9600 and 19200. A stored code that is neither (57600, say) opens the
//   dialog with no selection; OK without a selection writes the address and keeps the controller's
//   own baud-rate code, so an address can be changed without touching the port's speed.
// - The up/down control updAddr steps the address within 1 to 247 (its buttons: updAddrUp,
//   updAddrDown). Parity and stop bits (cboParity, cboStopBits) are fixed by the controller; their
//   lists stay empty and disabled.
class SU_M852_NIP : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_NIP(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    void stepAddress(int delta);

    QLineEdit* txtAddr = nullptr;
    QToolButton* updAddrUp = nullptr;
    QToolButton* updAddrDown = nullptr;
    QComboBox* cboBaudRate = nullptr;
    QComboBox* cboParity = nullptr;
    QComboBox* cboStopBits = nullptr;
};
