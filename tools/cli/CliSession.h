#pragma once

#include <QList>
#include <QObject>
#include <QTextStream>

#include "CliOptions.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"

// One run of field-console-cli: the message manager driven by the scan loop, exactly as in the
// program, with one packet of its own.
//
// A read queues one persistent read packet; every tick sends it again and collects the reply to the
// previous poll.
//
// A write is sent once: a command register runs its command on every write it receives, so a copy
// sent because the echo was late would run the command twice. The echo is awaited for up to --tries
// scan intervals; the engine keeps taking a reply to the last request sent as long as nothing else
// has been sent, so a late echo still counts. --resend (never for register 1350) makes the packet a
// polled one instead, sent again on every tick until its echo comes, up to --tries times; an echo
// stops it inside the tick that collects it, before that tick's send.
class CliSession : public QObject {
    Q_OBJECT
public:
    // No display window or data group uses this WinID, so the replies are routed to this session only.
    static constexpr qint16 kWinID = 40;

    CliSession(const CliOptions& options, QTextStream& out, QTextStream& err, QObject* parent = nullptr);

    // Opens the port and starts the scan; the result comes with finished().
    void start();

signals:
    void finished(int exitCode);

private:
    void onMessageReady(qint32 winId);
    void onTick();
    void onPortLost(const QString& reason);
    void stopSending();
    void finish(int exitCode, const QString& error = {});
    void printRegisters(int start, const QList<qint16>& values);
    void printPoll(qint64 poll, bool ok);
    [[nodiscard]] QString portName() const;

    CliOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    CScanLoop m_loop;
    CMsgManager m_manager;
    PacketPtr m_packet;

    qint64 m_sent = 0;  // frames handed to the port
    qint64 m_sentAtLastTick = 0;
    qint64 m_valid = 0;            // replies that reached MessageReady and matched the request
    qint64 m_idleTicks = 0;        // ticks that neither sent nor finished (a request that cannot be sent)
    qint64 m_awaiting = 0;         // read: number of the poll whose reply the next tick collects (0: none)
    bool m_replyThisTick = false;  // a valid reply came in the tick now running
    qint64 m_waited = 0;           // write: intervals gone by since the send without the echo
    bool m_stopped = false;        // no more requests will be sent
    bool m_done = false;
    QList<qint16> m_lastValues;  // the last valid reply's registers
    int m_lastStart = 0;
};
