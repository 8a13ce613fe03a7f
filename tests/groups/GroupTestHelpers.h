#pragma once

// Small helpers shared by the clock, DIP switch, exerciser and calendar tests.

#include <QByteArray>
#include <QLabel>
#include <QList>
#include <QWidget>

namespace grouptest {

// Fields of a request frame sent by the master (slave, function, address hi/lo, ...).
inline int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }
inline int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }
// Register count of a function-16 frame; 1 for function 6.
inline int frameCount(const QByteArray& f) {
    return frameFunction(f) == 6 ? 1 : ((quint8(f.at(4)) << 8) | quint8(f.at(5)));
}
// The values a write frame carries (function 6 or 16).
inline QList<quint16> frameValues(const QByteArray& f) {
    QList<quint16> out;
    if (frameFunction(f) == 6) {
        out << quint16((quint8(f.at(4)) << 8) | quint8(f.at(5)));
        return out;
    }
    const int n = frameCount(f);
    for (int i = 0; i < n; ++i) out << quint16((quint8(f.at(7 + 2 * i)) << 8) | quint8(f.at(8 + 2 * i)));
    return out;
}
// Only the write frames (functions 6 and 16) of a list of sent frames.
inline QList<QByteArray> writesOf(const QList<QByteArray>& frames) {
    QList<QByteArray> out;
    for (const QByteArray& f : frames)
        if (f.size() > 5 && (frameFunction(f) == 6 || frameFunction(f) == 16)) out << f;
    return out;
}

inline QString labelText(const QWidget* w, const QString& name) {
    const auto* l = w->findChild<QLabel*>(name);
    return l ? l->text() : QStringLiteral("<no label %1>").arg(name);
}

}  // namespace grouptest
