#pragma once

#include <QVector>
#include <QtGlobal>
#include <memory>

#include "comm/INode.h"

// One request to the controller, or the decoded reply to one. Fields are plain values without
// validation; the codec checks them when the query is built.
//
// Packets are shared between the data group that made them and the message manager's queue (a
// polled packet is the same object on every turn, never a copy), hence PacketPtr.
class CMsgPacketNode : public INode {
public:
    CMsgPacketNode();
    ~CMsgPacketNode() override;

    // The link lives in a private link object created with the packet.
    [[nodiscard]] std::shared_ptr<INode> NextNode() const override;
    void setNextNode(std::shared_ptr<INode> node) override;

    // Data group / window the packet belongs to; replies are routed by it.
    [[nodiscard]] qint16 WinID() const noexcept { return m_winID; }
    void setWinID(qint16 value) noexcept { m_winID = value; }
    // Modbus slave address.
    [[nodiscard]] qint16 DeviceAddr() const noexcept { return m_deviceAddr; }
    void setDeviceAddr(qint16 value) noexcept { m_deviceAddr = value; }
    // 1-based number of the first register; the wire address is one less.
    [[nodiscard]] qint16 StartingReg() const noexcept { return m_startingReg; }
    void setStartingReg(qint16 value) noexcept { m_startingReg = value; }

    // Register values from index 0. Reading beyond the last element throws IndexOutOfRangeError;
    // writing beyond it grows the array (new elements 0) first. The array never shrinks. A
    // negative index throws IndexOutOfRangeError on both.
    [[nodiscard]] qint16 Data(int i) const;
    void setData(int i, qint16 value);
    [[nodiscard]] int DataCount() const noexcept { return static_cast<int>(m_data.size()); }

    // Modbus function code: 3 read, 6 write single, 16 write multiple.
    [[nodiscard]] qint32 MsgType() const noexcept { return m_msgType; }
    void setMsgType(qint32 value) noexcept { m_msgType = value; }
    [[nodiscard]] qint16 NumReg() const noexcept { return m_numReg; }
    void setNumReg(qint16 value) noexcept { m_numReg = value; }
    // True: polled for as long as it stays queued; false: sent once.
    [[nodiscard]] bool Persistent() const noexcept { return m_persistent; }
    void setPersistent(bool value) noexcept { m_persistent = value; }

private:
    qint16 m_winID = 0;
    qint16 m_deviceAddr = 0;
    qint16 m_startingReg = 0;
    QVector<qint16> m_data{0};
    qint32 m_msgType = 3;
    qint16 m_numReg = 1;
    bool m_persistent = true;
    std::unique_ptr<INode> m_link;
};

using PacketPtr = std::shared_ptr<CMsgPacketNode>;
