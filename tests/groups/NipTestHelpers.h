#pragma once

// Helpers shared by the network port, state machine, manual operation and meter calibration tests.

#include <QByteArray>
#include <QLabel>
#include <QList>
#include <QPair>
#include <QWidget>

#include "GroupTestRig.h"

namespace niptest {

// One write request as it went out on the line: start register (1-based), function and values.
struct Write {
    int function = 0;
    int start = 0;
    QList<quint16> values;
    bool operator==(const Write& o) const {
        return function == o.function && start == o.start && values == o.values;
    }
};

inline int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }
inline int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }

// The write requests among `frames` (functions 6 and 16), in the order sent.
inline QList<Write> writesOf(const QList<QByteArray>& frames) {
    QList<Write> out;
    for (const QByteArray& f : frames) {
        if (f.size() < 8) continue;
        const int fn = frameFunction(f);
        Write w{fn, frameStart(f), {}};
        if (fn == 6) {
            w.values << quint16((quint8(f.at(4)) << 8) | quint8(f.at(5)));
        } else if (fn == 16) {
            const int n = (quint8(f.at(4)) << 8) | quint8(f.at(5));
            for (int i = 0; i < n; ++i)
                w.values << quint16((quint8(f.at(7 + 2 * i)) << 8) | quint8(f.at(8 + 2 * i)));
        } else {
            continue;
        }
        out << w;
    }
    return out;
}

// Lets the rig send everything queued now (and a full poll round after it); returns the writes that
// went out meanwhile, in order.
inline QList<Write> flushWrites(GroupTestRig& rig) {
    const qsizetype before = rig.host.sent.size();
    rig.cycle();
    return writesOf(rig.host.sent.mid(before));
}

inline QString labelText(const QWidget* w, const QString& name) {
    const auto* l = w->findChild<QLabel*>(name);
    return l ? l->text() : QStringLiteral("<no label %1>").arg(name);
}

inline char* toString(const Write& w) {
    QByteArray s = "fn " + QByteArray::number(w.function) + " @" + QByteArray::number(w.start) + " [";
    for (quint16 v : w.values) s += QByteArray::number(v) + ' ';
    s += ']';
    return qstrdup(s.constData());
}

}  // namespace niptest
