#include "CliEvents.h"

#include <QTimer>
#include <functional>
#include <memory>

#include "CliOptions.h"
#include "CliTrace.h"
#include "base/ComponentError.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "comm/SerialDeviceNames.h"
#include "groups/history/C_M852_History.h"
#include "groups/history/EventList.h"
#include "sim/BuiltInController.h"

namespace {

// Global options that take a value in the next argument (unless written --name=VALUE).
bool takesValue(const QString& arg) {
    return arg == QLatin1String("--port") || arg == QLatin1String("--device") ||
           arg == QLatin1String("--scan-rate") || arg == QLatin1String("--tries");
}

// Index of the command word in `args`, or -1.
int commandIndex(const QStringList& args) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("--version"))
            return -1;
        if (a.startsWith(QLatin1Char('-'))) {
            if (takesValue(a)) ++i;
            continue;
        }
        return i;
    }
    return -1;
}

// One run: the program's engine and scan loop with the history group's own data object, whose
// seven polls run until every block has been decoded once.
class EventsRun : public QObject {
public:
    EventsRun(const CliOptions& options, QString logFile, QTextStream& out, QTextStream& err)
        : m_options(options), m_logFile(std::move(logFile)), m_out(out), m_err(err) {
        m_manager.setScanHost(&m_loop);
        CliTrace::attach(m_manager);
        m_loop.setManager(&m_manager);
        m_loop.setReadScanRate(static_cast<qint16>(options.scanRateMs));
        m_loop.setWriteScanRate(static_cast<qint16>(options.scanRateMs));
        m_loop.setAutomaticScanRate(options.automaticScanRate);
        CSerialService& serial = m_loop.serial();
        serial.setBuiltInPortFactory(sim::BuiltInController().portFactory());
        serial.COM_Initialize();
        if (!options.device.isEmpty()) {
            const int conventional = SerialDeviceNames::conventionalNumber(options.device);
            const int number = conventional >= 1 ? conventional : CSerialService::maxPortNumber();
            const QString path = conventional == number && conventional >= 1
                                     ? SerialDeviceNames::conventionalDevice(number)
                                     : options.device;
            serial.setPortOverrides({{number, path}});
            serial.setCOM_Number(static_cast<qint16>(number));
        } else {
            serial.setCOM_Number(static_cast<qint16>(options.port));
        }
        connect(&m_loop, &CScanLoop::ticked, this, [this] { onTick(); });
        connect(&serial, &CSerialService::portLost, this, [this](const QString& reason) {
            finish(1, QStringLiteral("the port was lost: %1").arg(reason));
        });
    }

    std::function<void(int)> finished;

    void start() {
        if (m_loop.serial().COM_Number() == 0)
            m_err << "field-console-cli: port 0: using the built-in simulated controller, not a real device\n"
                  << Qt::flush;
        m_history = std::make_unique<C_M852_History>(&m_manager);
        connect(m_history.get(), &CDataGroup::DataRefreshed, this, [this] {
            if (m_history->AllBlocksDecoded()) finish(0);
        });
        m_loop.SetScanInterval(true);
        if (!m_manager.Connect()) {
            m_err << "field-console-cli: cannot open the port: " << m_loop.serial().lastOpenFailure().message
                  << '\n'
                  << Qt::flush;
            m_done = true;
            QTimer::singleShot(0, this, [this] { finished(3); });
            return;
        }
        QTimer::singleShot(0, this, [this] {
            if (!m_done) m_loop.tick();
        });
    }

private:
    void onTick() {
        if (m_done) return;
        // Seven polls per round; --tries rounds (and the tick that collects the last reply).
        const int blocks = int(m_history->ReadBlocks().size());
        if (++m_ticks > m_options.tries * blocks + 1) {
            QStringList missing;
            for (int b = 0; b < blocks; ++b)
                if (!m_history->BlockDecoded(b)) missing << QString::number(m_history->ReadBlocks()[b].start);
            finish(1, QStringLiteral("no valid reply for register block(s) %1 after %2 tries")
                          .arg(missing.join(QStringLiteral(", ")))
                          .arg(m_options.tries));
        }
    }

    void finish(int code, const QString& error = {}) {
        if (m_done) return;
        m_done = true;
        m_manager.RemoveMsgs(C_M852_History::kWinID);
        m_manager.Disconnect();
        if (code == 0) {
            const QString list = EventList::Build(*m_history);
            m_out << QString(list).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << Qt::flush;
            m_err << "last loss of the preferred source: "
                  << EventList::LastLossTimeText(m_history->LastLossTime()) << ' '
                  << EventList::LastLossDateText(m_history->LastLossDate()) << ", duration "
                  << EventList::LastLossDurationText(m_history->LastLossDuration()) << " (hh:mm)\n"
                  << Qt::flush;
            if (!m_logFile.isEmpty()) {
                try {
                    EventList::WriteLogFile(m_logFile, list);
                } catch (const ComponentError& e) {
                    m_err << "field-console-cli: cannot write " << m_logFile << ": " << e.description()
                          << '\n'
                          << Qt::flush;
                    code = 4;
                }
            }
        } else {
            m_err << "field-console-cli: " << error << '\n' << Qt::flush;
        }
        QTimer::singleShot(0, this, [this, code] { finished(code); });
    }

    CliOptions m_options;
    QString m_logFile;
    QTextStream& m_out;
    QTextStream& m_err;
    CScanLoop m_loop;
    CMsgManager m_manager;
    std::unique_ptr<C_M852_History> m_history;
    int m_ticks = 0;
    bool m_done = false;
};

}  // namespace

namespace CliEvents {

bool Handles(const QStringList& args) {
    const int i = commandIndex(args);
    return i >= 0 && args.at(i) == QLatin1String("events");
}

QString Usage() {
    return QStringLiteral(
        "\nEvent history:\n"
        "  field-console-cli [--port N | --device PATH] [--scan-rate MS|auto] [--tries N] events [--log "
        "FILE]\n"
        "                      poll the event history once and print it as the Event History window\n"
        "                      shows it; --log FILE also writes it as an event log file (CR LF).\n"
        "                      Exit status 4: the log file could not be written.\n");
}

int Run(QCoreApplication& app, const QStringList& args, QTextStream& out, QTextStream& err) {
    const int at = commandIndex(args);
    // The port options are those of read and write, checked by the same parser.
    QString error;
    const auto options = CliOptions::parse(
        args.mid(0, at) + QStringList{QStringLiteral("read"), QStringLiteral("1"), QStringLiteral("1")},
        &error);
    QString logFile;
    const QStringList rest = args.mid(at + 1);
    for (int i = 0; options && error.isEmpty() && i < rest.size(); ++i) {
        const QString& a = rest.at(i);
        if (a == QLatin1String("--log")) {
            if (i + 1 >= rest.size()) {
                error = QStringLiteral("option --log needs a value");
                break;
            }
            logFile = rest.at(++i);
        } else if (a.startsWith(QLatin1String("--log="))) {
            logFile = a.mid(6);
        } else {
            error = QStringLiteral("unknown argument %1 for events").arg(a);
        }
        if (error.isEmpty() && logFile.trimmed().isEmpty()) error = QStringLiteral("--log needs a file name");
    }
    if (!options || !error.isEmpty()) {
        err << "field-console-cli: " << error << "\n(field-console-cli --help shows the usage)\n"
            << Qt::flush;
        return 2;
    }
    EventsRun run(*options, logFile, out, err);
    run.finished = [](int code) { QCoreApplication::exit(code); };
    run.start();
    return app.exec();
}

}  // namespace CliEvents
