#pragma once

#include <QByteArray>
#include <QList>
#include <stdexcept>

#include "comm/CMsgManager.h"
#include "comm/IScanHost.h"

// A scan host for driving CMsgManager by hand: records every frame sent and every scan-timer call,
// and serves the bytes a test injects as the port's receive buffer.
class FakeScanHost : public IScanHost {
public:
    bool open = false;
    bool openSucceeds = true;  // what COM_OpenPort reports
    bool openThrows = false;   // COM_OpenPort fails with an exception instead

    QByteArray pending;      // bytes waiting in the port's receive buffer
    QList<QByteArray> sent;  // every frame passed to COM_Send
    QList<bool> intervals;   // every SetScanInterval(isRead)
    int flushes = 0;         // COM_EmptyReceiveBuffer calls
    int startScans = 0;
    int stopScans = 0;

    void inject(const QByteArray& bytes) { pending += bytes; }

    bool COM_IsOpen() override { return open; }
    bool COM_OpenPort() override {
        if (openThrows) throw std::runtime_error("port failure");
        open = openSucceeds;
        return open;
    }
    bool COM_ClosePort() override {
        open = false;
        return true;
    }
    void COM_EmptyReceiveBuffer() override {
        ++flushes;
        pending.clear();
    }
    bool COM_ReceiveBufferIsEmpty() override { return pending.isEmpty(); }
    quint8 COM_Receive() override {
        if (pending.isEmpty()) throw std::runtime_error("receive from an empty buffer");
        const auto byte = static_cast<quint8>(pending.front());
        pending.remove(0, 1);
        return byte;
    }
    void COM_Send(const QByteArray& frame) override { sent.append(frame); }

    void StartScan() override { ++startScans; }
    void StopScan() override { ++stopScans; }
    void SetScanInterval(bool isRead) override { intervals.append(isRead); }
};

// One scan-timer tick, in the order the scan loop runs it: collect, parse if anything came, send
// the next request; errors of the send are dropped as the real tick drops them.
inline void runTick(CMsgManager& manager) {
    if (manager.BuildResponse() > 0) manager.StoreMsgData();
    try {
        manager.SendMsg();
    } catch (...) {
    }
}
