#pragma once

#include <QObject>
#include <QPointer>
#include <QtGlobal>
#include <span>
#include <vector>

#include "comm/CMsgPacketNode.h"

class CMsgManager;

// Base of every data class (C_M852_*): the plumbing a data group shares with all others, written once.
//
// A group hands its register blocks to the constructor as two constant tables and implements only
// DecodeBlock() (registers -> fields) and EncodeBlock() (fields -> registers). The base
//  - takes the message manager from the application object and queues one persistent read packet
//    per read block (RequestData(0)),
//  - receives every MessageReady, keeps the replies carrying its WinID whose function is 3, hands the
//    block chosen by the reply's StartingReg to DecodeBlock and raises DataRefreshed when it decoded,
//  - builds the one-shot write packets of SendSetup from the write table,
//  - removes its polled packets from the queue when it is destroyed,
//  - knows whether its fields come from this controller (IsFresh): a setup dialog filled from fields
//    that were never read would write zeros (0 V, 50 Hz, ...) into the controller, and after a
//    reconnect the previous controller's values would be offered.
class CDataGroup : public QObject {
    Q_OBJECT
public:
    // One polled block: persistent function-3 read of `count` registers from `start` (1-based).
    struct ReadBlock {
        qint16 start;
        qint16 count;
    };
    // One write block: function 16 (write multiple) or 6 (write single, count 1).
    struct WriteBlock {
        qint32 function;
        qint16 start;
        qint16 count;
    };

    ~CDataGroup() override;
    CDataGroup(const CDataGroup&) = delete;
    CDataGroup& operator=(const CDataGroup&) = delete;

    [[nodiscard]] qint32 WinID() const { return m_WinID; }

    // Queues one persistent read packet per read block, in table order, for `deviceAddr`.
    void RequestData(qint16 deviceAddr);
    // Queues the write packets, one per write block in table order, filled from the current fields.
    // The data object waits for no confirmation: the next poll shows what the controller took.
    void SendSetup();

    // Queues one write outside SendSetup: a command to a command register, a clear request, a single
    // value. `function` is 6 (write single: exactly one value) or 16 (write multiple: 1 to 123
    // values); `start` is the 1-based register. The packet carries this group's WinID and is sent
    // once, never repeated. Throws ComponentError (and queues nothing) for any other shape.
    void WriteRegisters(qint32 function, qint16 start, const std::vector<qint16>& values);

    // Decodes `reply` (a read reply) into the fields: True when a block was decoded. This is what the
    // MessageReady handler runs for a reply of this group; it is public so that code holding a reply
    // of its own (the setup file, tests) can decode one the same way. Raises no event.
    bool DecodeReply(const CMsgPacketNode& reply);

    // True once every read block has been decoded since this object was created or since the last
    // MarkStale (the main window calls MarkAllStale on every Connect and Disconnect). Until then no
    // setup dialog of the group may be opened. A group without read blocks is always fresh.
    [[nodiscard]] bool IsFresh() const;
    // Forgets which blocks were decoded: the fields stay as they are but no longer count as read.
    void MarkStale();
    // MarkStale on every live data object fed by `manager` (all of them when null): the link was
    // opened or closed, so what the fields hold may belong to another controller.
    static void MarkAllStale(const CMsgManager* manager = nullptr);

    [[nodiscard]] CMsgManager* MsgManager() const;
    [[nodiscard]] std::span<const ReadBlock> ReadBlocks() const { return m_reads; }
    [[nodiscard]] std::span<const WriteBlock> WriteBlocks() const { return m_writes; }

signals:
    void DataRefreshed(qint32 WinID);

protected:
    // `reads` and `writes` must outlive the object (static tables). Takes the application object's
    // message manager (or `manager` when given) and calls RequestData(0).
    CDataGroup(qint32 winId, std::span<const ReadBlock> reads, std::span<const WriteBlock> writes,
               CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Reads register `i` (0-based) of the block being decoded.
    class Registers {
    public:
        explicit Registers(const CMsgPacketNode& reply) : m_reply(reply) {}
        // Throws IndexOutOfRangeError when the reply holds no such register.
        [[nodiscard]] qint16 operator[](int i) const { return m_reply.Data(i); }
        [[nodiscard]] qint16 StartingReg() const { return m_reply.StartingReg(); }

    private:
        const CMsgPacketNode& m_reply;
    };

    // Copies read block `block` (index into the read table) from `regs` into the fields. Anything it
    // throws stops decoding: fields already copied keep their new values and no event is raised.
    virtual void DecodeBlock(int block, const Registers& regs) = 0;
    // The raw register values of write block `block`, in register order, exactly `count` of them.
    virtual std::vector<qint16> EncodeBlock(int block) const;
    // The read block to decode when the reply's StartingReg matches none: none by default.
    virtual int FallbackBlock() const { return -1; }
    // Decoding of a read reply (the reply is m_Reply). The default picks the block by StartingReg.
    virtual bool ParseReply();

    // The reply being handled; valid only inside the MessageReady handler (the manager reuses it).
    const CMsgPacketNode* m_Reply = nullptr;

private slots:
    void m_MsgManager_MessageReady(qint32 WinID);

private:
    const qint32 m_WinID;
    const std::span<const ReadBlock> m_reads;
    const std::span<const WriteBlock> m_writes;
    QPointer<CMsgManager> m_MsgManager;
    std::vector<PacketPtr> m_polls;  // this object's persistent read packets
    std::vector<bool> m_decoded;     // per read block: decoded since creation or the last MarkStale
};
