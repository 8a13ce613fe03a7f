#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <optional>

#include "comm/CSerialService.h"

class CScanLoop;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

// The options dialog: the serial port number, the two scan rates and the automatic scan rate.
//
// Only digits and Backspace can be typed into the boxes. OK assigns the port, then the read rate,
// then the write rate, stopping at the first value that is refused (beep, that box's text selected,
// the dialog stays open); values assigned before the failure stay assigned; the automatic scan rate
// is assigned last, once every box was taken. Nothing is stored here: the main window writes the
// settings when it closes.
//
// Beside the number the dialog shows the device that number opens, and below it the serial devices
// found on this machine with their numbers; choosing one sets the number. A USB adapter gets a new
// device name when it is plugged in again elsewhere, so choosing one that has a stable path
// (/dev/serial/by-id/...) also maps its number to that path (applied by OK).
class frmOptions : public QDialog {
    Q_OBJECT

public:
    using PortDetector = std::function<QList<CSerialService::PortInfo>()>;

    // loop: the scan loop whose port number and scan rates are edited. detect: lists the serial
    // devices (CSerialService::detectPorts with the loop's overrides when empty).
    explicit frmOptions(CScanLoop& loop, QWidget* parent = nullptr, PortDetector detect = {});

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdOK_Click();
    void refusedInput(QLineEdit* box);
    void updateDeviceLabel();
    void fillPortList();
    void portChosen();
    // The number that opens a device no number reaches yet: the first free one above the conventional
    // ranges (that have no device of their own).
    [[nodiscard]] int freeNumberFor() const;

    CScanLoop& m_loop;
    PortDetector m_detect;
    // The override that choosing a device asked for: number -> stable path.
    std::optional<std::pair<int, QString>> m_pendingOverride;

    QLabel* lblPortNo;
    QLineEdit* txtPortNo;
    QWidget* updPortNo;
    QToolButton* updPortNoUp;
    QToolButton* updPortNoDown;
    QLabel* lblPortDevice;
    QTreeWidget* lstPorts;
    QLineEdit* txtReadScanRate;
    QLineEdit* txtWriteScanRate;
    QCheckBox* chkAutoScanRate;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
