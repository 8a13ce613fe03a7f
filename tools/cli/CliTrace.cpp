#include "CliTrace.h"

#include <cstdio>

#include "comm/CMsgManager.h"
#include "monitor/ExchangeText.h"

namespace CliTrace {

namespace {

// Written straight to stderr and flushed per line, so a trace read by another program keeps step
// with the run and a line is never split between this and the session's own messages.
class TraceWriter : public IExchangeObserver {
public:
    void exchangeClosed(const LinkExchange& exchange) override {
        const QByteArray line = ExchangeText::traceLine(exchange).toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
};

bool g_enabled = false;
TraceWriter g_writer;

}  // namespace

QStringList take(const QStringList& args) {
    QStringList rest;
    for (const QString& a : args) {
        if (a == QLatin1String("--trace"))
            g_enabled = true;
        else
            rest << a;
    }
    return rest;
}

void attach(CMsgManager& manager) {
    if (g_enabled) manager.addExchangeObserver(&g_writer);
}

}  // namespace CliTrace
