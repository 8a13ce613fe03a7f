#pragma once

#include <QByteArray>
#include <QString>

#include "base/ComponentError.h"

// What a call threw, as one comparable string: "0x800400CA|Class::Member|text" for a component
// error, "IndexOutOfRange" or "Overflow" for the language faults, "" when it returned normally.
template <typename F>
QString thrownBy(F&& call) {
    try {
        call();
    } catch (const ComponentError& e) {
        return QStringLiteral("0x%1|%2|%3")
            .arg(QString::number(e.number(), 16).toUpper(), e.source(), e.description());
    } catch (const IndexOutOfRangeError&) {
        return QStringLiteral("IndexOutOfRange");
    } catch (const OverflowError&) {
        return QStringLiteral("Overflow");
    }
    return QString();
}

// "00 03 02 ED" -> bytes; spaces are skipped.
inline QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text)); }

int runModbusMasterTests(int argc, char** argv);
int runQueueTests(int argc, char** argv);
int runMsgManagerTests(int argc, char** argv);
int runScanLoopTests(int argc, char** argv);
int runAutoScanRateTests(int argc, char** argv);
