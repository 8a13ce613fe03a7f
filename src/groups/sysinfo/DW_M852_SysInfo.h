#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_SysInfo;
class QLabel;

// The System Info window: the seven identification texts (shown up to their first 0 character), the
// device ID in hexadecimal and the software versions.
class DW_M852_SysInfo : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_SysInfo(QWidget* parent = nullptr);
    DW_M852_SysInfo(std::unique_ptr<C_M852_SysInfo> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

    // "0x" and the 16-bit pattern in upper-case hexadecimal without leading zeros (-1 -> 0xFFFF).
    [[nodiscard]] static QString DeviceIdText(qint16 id);

protected:
    void UpdateDisplay() override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;
    QList<QWidget*> SetupTargets() const override;

private:
    C_M852_SysInfo* m_Info = nullptr;
    QLabel* m_text[7] = {};
    QLabel* lblDeviceID = nullptr;
    QLabel* lblControlVersion = nullptr;
    QLabel* lblPICVersion = nullptr;
    QLabel* lblROBVersion[4] = {};
    QWidget* fraVersions = nullptr;
};
