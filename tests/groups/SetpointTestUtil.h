#pragma once

// Small helpers of the system summary, setpoint and time delay tests.

#include <QLabel>
#include <QList>
#include <QTest>
#include <QWidget>
#include <memory>

#include "GroupTestRig.h"
#include "comm/CMsgPacketNode.h"
#include "groups/CDisplayWindow.h"

namespace setpoints_test {

// A read reply (function 3) of `data` starting at `start`.
inline PacketPtr reply(qint16 start, const QList<qint16>& data, qint32 function = 3) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setStartingReg(start);
    p->setMsgType(function);
    for (int i = 0; i < data.size(); ++i) p->setData(i, data.at(i));
    return p;
}

// Start register (1-based), function and register values of a request frame.
inline int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }
inline int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }
inline int frameCount(const QByteArray& f) {
    return frameFunction(f) == 6 ? 1 : ((quint8(f.at(4)) << 8) | quint8(f.at(5)));
}
inline QList<quint16> frameValues(const QByteArray& f) {
    QList<quint16> out;
    if (frameFunction(f) == 6) {
        out << quint16((quint8(f.at(4)) << 8) | quint8(f.at(5)));
    } else if (frameFunction(f) == 16) {
        for (int i = 0; i < frameCount(f); ++i)
            out << quint16((quint8(f.at(7 + 2 * i)) << 8) | quint8(f.at(8 + 2 * i)));
    }
    return out;
}

// One write as the controller received it.
struct Write {
    int function;
    int start;
    QList<quint16> values;
    bool operator==(const Write&) const = default;
};

// Ticks the rig until the queue has sent everything queued now once, collecting the writes sent.
inline QList<Write> writesSent(GroupTestRig& rig) {
    QList<Write> out;
    const int n = rig.manager().queueSize();
    for (int i = 0; i <= n; ++i) {
        const QByteArray f = rig.tick();
        if (f.size() > 4 && (frameFunction(f) == 6 || frameFunction(f) == 16))
            out << Write{frameFunction(f), frameStart(f), frameValues(f)};
    }
    return out;
}

// The one open window of type `type` in the rig, created and read once.
inline CDisplayWindow* openWindow(GroupTestRig& rig, qint32 type) {
    if (!rig.windows().CreateWnd(type, 0, 0, 0)) return nullptr;
    CDisplayWindow* w = rig.windows().DisplayWindows().constLast();
    rig.cycle();
    return w;
}

// Waits (briefly) until `w` has the focus; usable inside dialog scripts, which return a value.
inline void waitForFocus(QWidget* w) {
    for (int i = 0; i < 100 && !w->hasFocus(); ++i) QTest::qWait(10);
}

inline QString text(QWidget* w, const QString& name) {
    auto* l = w->findChild<QLabel*>(name);
    return l ? l->text() : QStringLiteral("<no label %1>").arg(name);
}

}  // namespace setpoints_test

// QCOMPARE output for writes.
inline char* toString(const setpoints_test::Write& w) {
    QString s = QStringLiteral("fn %1 @%2:").arg(w.function).arg(w.start);
    for (quint16 v : w.values) s += QStringLiteral(" %1").arg(v);
    return qstrdup(s.toLatin1().constData());
}
