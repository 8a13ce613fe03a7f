#pragma once

#include <optional>

#include "groups/CDataGroup.h"

// Network interface port: the Modbus address and baud-rate code of the controller's own network
// port, registers 1000-1003. Registers 1002 and 1003 are not decoded; the controller expects both to
// be written as 1, so every write sends 1 there whatever was read.
//
// Baud-rate codes: 1 = 300, 2 = 1200, 3 = 2400, 4 = 4800, 5 = 9600, 6 = 19200, 7 = 38400,
// 8 = 57600. The fields keep what the controller reported, including codes outside that table.
class C_M852_NIP : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 13;
    // Modbus slave addresses the port can take (the codec's own limit is the same).
    static constexpr qint16 kMinAddress = 1;
    static constexpr qint16 kMaxAddress = 247;

    explicit C_M852_NIP(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] qint16 NodeAddress() const { return m_NodeAddress; }
    void setNodeAddress(qint16 address) { m_NodeAddress = address; }
    [[nodiscard]] qint32 BaudRateCode() const { return m_BaudRateCode; }
    // OverflowError (field unchanged) when the code does not fit a 16-bit register.
    void setBaudRateCode(qint32 code);

    // The baud rate of a code of the table above; nothing for any other code.
    [[nodiscard]] static std::optional<qint32> BaudRate(qint32 code);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    qint16 m_NodeAddress = 0;
    qint32 m_BaudRateCode = 0;
};
