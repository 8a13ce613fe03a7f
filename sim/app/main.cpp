// m852-sim: a simulated M852 transfer-switch controller on a pseudo-terminal.
//
// Prints the pseudo-terminal's device path as its first line of output, then answers Modbus RTU
// requests on it until SIGTERM or SIGINT. See --help for the options.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "sim/FaultConfig.h"
#include "sim/M852Image.h"
#include "sim/PtyFrontEnd.h"
#include "sim/SlaveEngine.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int sig) {
    const char c = static_cast<char>(sig);
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    errno = saved;
}

void writeOut(const QByteArray& line) {
    // Unbuffered, so a reader sees each line at once.
    QByteArray data = line + '\n';
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= n;
    }
}

[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "m852-sim: %s\n", qPrintable(message));
    std::exit(2);
}

double probability(const QCommandLineParser& p, const QString& name) {
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || v < 0.0 || v > 1.0) usageError(QStringLiteral("--%1 wants a probability 0..1").arg(name));
    return v;
}

// "REG=VALUE": VALUE decimal (negative allowed, stored as its 16-bit pattern) or 0x hexadecimal.
bool parseAssignment(const QString& text, int& reg, quint16& value) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    bool okReg = false;
    bool okValue = false;
    reg = text.left(eq).trimmed().toInt(&okReg);
    const int v = text.mid(eq + 1).trimmed().toInt(&okValue, 0);
    if (!okReg || !okValue || v < -32768 || v > 65535) return false;
    value = static_cast<quint16>(v);
    return true;
}

struct Simulator {
    sim::M852Image& image;
    sim::SlaveEngine& engine;
    sim::PtyFrontEnd& pty;

    QJsonObject state() {
        pty.syncTime();
        const auto& s = pty.faultStats();
        return QJsonObject{
            {QStringLiteral("device"), pty.devicePath()},
            {QStringLiteral("address"), engine.address()},
            {QStringLiteral("requests"), double(pty.requestsHandled())},
            {QStringLiteral("elapsed_ms"), double(image.elapsedMs())},
            {QStringLiteral("clock"), image.clock().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))},
            {QStringLiteral("faults"), QJsonObject{{QStringLiteral("replies"), double(s.replies)},
                                                   {QStringLiteral("dropped"), double(s.dropped)},
                                                   {QStringLiteral("crc"), double(s.crcCorrupted)},
                                                   {QStringLiteral("truncated"), double(s.truncated)},
                                                   {QStringLiteral("stray"), double(s.withStray)}}},
            {QStringLiteral("registers"), image.toJson()},
        };
    }

    bool dumpTo(const QString& path) {
        QSaveFile f(path);  // written beside and renamed: a reader never sees half a dump
        if (!f.open(QIODevice::WriteOnly)) return false;
        f.write(QJsonDocument(state()).toJson(QJsonDocument::Indented));
        return f.commit();
    }

    QByteArray command(const QByteArray& line) {
        const QList<QByteArray> words = line.simplified().split(' ');
        const QByteArray verb = words.value(0);
        if (verb == "set" && words.size() >= 2) {
            for (qsizetype i = 1; i < words.size(); ++i) {
                int reg = 0;
                quint16 value = 0;
                if (!parseAssignment(QString::fromLatin1(words.at(i)), reg, value))
                    return "error bad assignment";
                pty.syncTime();
                if (!image.write(reg, value)) return "error unmapped register " + QByteArray::number(reg);
            }
            return "ok";
        }
        if (verb == "get" && (words.size() == 2 || words.size() == 3)) {
            bool ok1 = false;
            bool ok2 = true;
            const int reg = words.at(1).toInt(&ok1);
            const int count = words.size() == 3 ? words.at(2).toInt(&ok2) : 1;
            if (!ok1 || !ok2 || count < 1 || count > 10000) return "error bad arguments";
            pty.syncTime();
            QByteArray out = "values";
            for (int r = reg; r < reg + count; ++r) {
                const auto v = image.value(r);
                if (!v) return "error unmapped register " + QByteArray::number(r);
                out += ' ' + QByteArray::number(*v);
            }
            return out;
        }
        if (verb == "dump") return "state " + QJsonDocument(state()).toJson(QJsonDocument::Compact);
        return "error unknown command";
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("m852-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulated M852 transfer-switch controller (Modbus RTU slave) on a pseudo-terminal.\n"
        "Prints the device path as the first line of output. SIGUSR1 writes the --dump file."));
    p.addHelpOption();
    const QList<QCommandLineOption> options = {
        {QStringLiteral("link"), QStringLiteral("Create symbolic link PATH to the device."),
         QStringLiteral("PATH")},
        {QStringLiteral("address"), QStringLiteral("Own slave address (default 1; 0 is always answered)."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("latency"), QStringLiteral("Reply latency in ms (default 2)."), QStringLiteral("MS"),
         QStringLiteral("2")},
        {QStringLiteral("no-pacing"), QStringLiteral("Send replies at once instead of at 57600 baud.")},
        {QStringLiteral("drop"), QStringLiteral("Probability of dropping a reply."), QStringLiteral("P"),
         QStringLiteral("0")},
        {QStringLiteral("crc"), QStringLiteral("Probability of a reply with a bad CRC."), QStringLiteral("P"),
         QStringLiteral("0")},
        {QStringLiteral("truncate"), QStringLiteral("Probability of a truncated reply."), QStringLiteral("P"),
         QStringLiteral("0")},
        {QStringLiteral("stray"), QStringLiteral("Probability of stray bytes around a reply."),
         QStringLiteral("P"), QStringLiteral("0")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the fault generator (default 1)."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("log"), QStringLiteral("Append every request to FILE as one JSON line."),
         QStringLiteral("FILE")},
        {QStringLiteral("set"),
         QStringLiteral("Write VALUE to register REG at start, as a master would (repeatable)."),
         QStringLiteral("REG=VALUE")},
        {QStringLiteral("dump"), QStringLiteral("Write the state as JSON to FILE on SIGUSR1 and on exit."),
         QStringLiteral("FILE")},
        {QStringLiteral("clock"),
         QStringLiteral("Controller clock at start: ISO date-time, or 'now' (default, local time)."),
         QStringLiteral("WHEN"), QStringLiteral("now")},
        {QStringLiteral("stdin-control"),
         QStringLiteral("Take commands on standard input (set REG=VALUE..., get REG [COUNT], dump); exit "
                        "when it closes.")},
    };
    p.addOptions(options);
    p.process(app);

    bool ok = false;
    sim::FaultConfig faults;
    faults.latencyMs = p.value(QStringLiteral("latency")).toInt(&ok);
    if (!ok || faults.latencyMs < 0 || faults.latencyMs > 60000)
        usageError(QStringLiteral("--latency wants 0..60000"));
    faults.paced = !p.isSet(QStringLiteral("no-pacing"));
    faults.dropProbability = probability(p, QStringLiteral("drop"));
    faults.crcCorruptProbability = probability(p, QStringLiteral("crc"));
    faults.truncateProbability = probability(p, QStringLiteral("truncate"));
    faults.strayProbability = probability(p, QStringLiteral("stray"));
    faults.seed = p.value(QStringLiteral("seed")).toULongLong(&ok);
    if (!ok) usageError(QStringLiteral("--seed wants a non-negative integer"));
    const int address = p.value(QStringLiteral("address")).toInt(&ok);
    if (!ok || address < 1 || address > 247) usageError(QStringLiteral("--address wants 1..247"));

    QDateTime clockStart = QDateTime::currentDateTime();
    if (p.value(QStringLiteral("clock")) != QStringLiteral("now")) {
        clockStart = QDateTime::fromString(p.value(QStringLiteral("clock")), Qt::ISODate);
        if (!clockStart.isValid() || clockStart.date().year() < 2000 || clockStart.date().year() > 2127) {
            usageError(QStringLiteral("--clock wants an ISO date-time in 2000..2127"));
        }
    }

    sim::M852Image image(clockStart);
    for (const QString& a : p.values(QStringLiteral("set"))) {
        int reg = 0;
        quint16 value = 0;
        if (!parseAssignment(a, reg, value))
            usageError(QStringLiteral("--set wants REG=VALUE, got %1").arg(a));
        if (!image.write(reg, value)) usageError(QStringLiteral("--set: register %1 is not mapped").arg(reg));
    }
    sim::SlaveEngine engine(image, static_cast<quint8>(address));
    sim::PtyFrontEnd pty(engine, faults);
    Simulator simulator{image, engine, pty};

    QString error;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "m852-sim: cannot open a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    if (p.isSet(QStringLiteral("log")) && !pty.setLogFile(p.value(QStringLiteral("log")), &error)) {
        std::fprintf(stderr, "m852-sim: cannot open the log: %s\n", qPrintable(error));
        return 1;
    }
    if (p.isSet(QStringLiteral("link")) && !pty.createLink(p.value(QStringLiteral("link")), &error)) {
        std::fprintf(stderr, "m852-sim: cannot create the link: %s\n", qPrintable(error));
        return 1;
    }
    const QString dumpFile = p.value(QStringLiteral("dump"));

    // Signals arrive through a socket pair, so the handler does nothing but write one byte.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        std::perror("m852-sim: socketpair");
        return 1;
    }
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) ::sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char sig = 0;
        if (::read(g_signalPipe[0], &sig, 1) != 1) return;
        if (sig == SIGUSR1) {
            if (!dumpFile.isEmpty() && !simulator.dumpTo(dumpFile)) {
                std::fprintf(stderr, "m852-sim: cannot write %s\n", qPrintable(dumpFile));
            }
        } else {
            QCoreApplication::quit();
        }
    });

    std::unique_ptr<QSocketNotifier> stdinNotifier;
    QByteArray stdinBuffer;
    if (p.isSet(QStringLiteral("stdin-control"))) {
        stdinNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(stdinNotifier.get(), &QSocketNotifier::activated, &app, [&] {
            char buf[4096];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n < 0 && errno == EINTR) return;
            if (n <= 0) {  // the controlling test went away
                stdinNotifier->setEnabled(false);
                QCoreApplication::quit();
                return;
            }
            stdinBuffer.append(buf, qsizetype(n));
            qsizetype nl;
            while ((nl = stdinBuffer.indexOf('\n')) >= 0) {
                const QByteArray line = stdinBuffer.left(nl);
                stdinBuffer.remove(0, nl + 1);
                if (!line.trimmed().isEmpty()) writeOut(simulator.command(line));
            }
            if (stdinBuffer.size() > 65536) stdinBuffer.clear();  // no line that long is a command
        });
    }

    writeOut(pty.devicePath().toLocal8Bit());
    const int rc = QCoreApplication::exec();

    if (!dumpFile.isEmpty() && !simulator.dumpTo(dumpFile)) {
        std::fprintf(stderr, "m852-sim: cannot write %s\n", qPrintable(dumpFile));
    }
    return rc;
}
