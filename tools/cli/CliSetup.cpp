#include "CliSetup.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <memory>

#include "CliOptions.h"
#include "CliTrace.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "comm/SerialDeviceNames.h"
#include "files/C_M852_SetupSave.h"
#include "files/SetupRecord.h"
#include "sim/BuiltInController.h"

namespace {

const QString kSave = QStringLiteral("save-setup");
const QString kRestore = QStringLiteral("restore-setup");
const QString kCompare = QStringLiteral("compare-setup");
const QString kLive = QStringLiteral("live");

// Exit statuses. compare-setup needs 1 for "the setups differ", so a live read that fails there
// ends with kNoReplyCompare instead of kNoReply.
constexpr int kOk = 0;
constexpr int kNoReply = 1;
constexpr int kDiffer = 1;
constexpr int kUsageOrFile = 2;
constexpr int kPortFailure = 3;
constexpr int kNoReplyCompare = 4;

// Global options that take a value in the next argument (unless written --name=VALUE).
bool takesValue(const QString& arg) {
    static const QStringList names{QStringLiteral("--port"), QStringLiteral("--device"),
                                   QStringLiteral("--scan-rate"), QStringLiteral("--tries")};
    return names.contains(arg);
}

struct Command {
    CliOptions options;  // the port options
    QString name;
    QStringList operands;
};

// Finds the command word behind the global options. Nothing when it is not a setup command (or when
// --help / --version come first): CliOptions then handles the line.
std::optional<int> commandIndex(const QStringList& args) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h") || arg == QLatin1String("--version"))
            return std::nullopt;
        if (takesValue(arg)) {
            ++i;
            continue;
        }
        if (arg.startsWith(QLatin1Char('-'))) continue;
        if (arg == kSave || arg == kRestore || arg == kCompare) return i;
        return std::nullopt;
    }
    return std::nullopt;
}

// The number a --device path lives under, as for read and write: its conventional number when it has
// one, else the last number.
int numberForDevice(const QString& path) {
    const int n = SerialDeviceNames::conventionalNumber(path);
    return n >= 1 ? n : CSerialService::maxPortNumber();
}

// The engine for one command: scan loop, message manager and setup-save object, on the port the
// options name.
class SetupLink : public QObject {
public:
    SetupLink(const CliOptions& options, QTextStream& err)
        : m_options(options), m_err(err), m_setup(&m_manager) {
        m_manager.setScanHost(&m_loop);
        CliTrace::attach(m_manager);
        m_loop.setManager(&m_manager);
        m_loop.setReadScanRate(static_cast<qint16>(options.scanRateMs));
        m_loop.setWriteScanRate(static_cast<qint16>(options.scanRateMs));
        m_loop.setAutomaticScanRate(options.automaticScanRate);
        m_setup.setRounds(options.tries);

        CSerialService& serial = m_loop.serial();
        serial.setBuiltInPortFactory(sim::BuiltInController().portFactory());
        serial.COM_Initialize();
        if (!options.device.isEmpty()) {
            const int number = numberForDevice(options.device);
            const QString path = SerialDeviceNames::conventionalNumber(options.device) == number
                                     ? SerialDeviceNames::conventionalDevice(number)
                                     : options.device;
            serial.setPortOverrides({{number, path}});
            serial.setCOM_Number(static_cast<qint16>(number));
        } else {
            serial.setCOM_Number(static_cast<qint16>(options.port));
        }

        if (serial.COM_Number() == 0)
            m_err << "field-console-cli: port 0: using the built-in simulated controller, not a real device\n"
                  << Qt::flush;
        connect(&m_loop, &CScanLoop::ticked, &m_setup, &C_M852_SetupSave::OnScanTick);
        connect(&serial, &CSerialService::portLost, this, [this](const QString& reason) {
            m_setup.StopSave(QStringLiteral("the port was lost: ") + reason);
            m_events.exit(kNoReply);
        });
    }

    ~SetupLink() override { m_manager.Disconnect(); }

    // Reads the controller's settings into FILE (or, with an empty name, into setup().Record()).
    int save(const QString& fileName, const QString& command) {
        connect(&m_setup, &C_M852_SetupSave::SaveProgress, this, [this, command](int received, int total) {
            m_err << command << ": " << received << " of " << total << " blocks received\n" << Qt::flush;
        });
        connect(&m_setup, &C_M852_SetupSave::DataSaved, this, [this] { m_events.exit(kOk); });
        connect(&m_setup, &C_M852_SetupSave::SetupRead, this, [this] { m_events.exit(kOk); });
        connect(&m_setup, &C_M852_SetupSave::SaveFailed, this, [this](const QString& reason) {
            m_err << "field-console-cli: Unable to save setup. " << reason << '\n' << Qt::flush;
            // Every block arrived: what failed is writing the file.
            m_events.exit(m_setup.ReceivedMask() == SetupRecord::kCompleteMask ? kUsageOrFile : kNoReply);
        });
        if (fileName.isEmpty())
            m_setup.ReadSetup();
        else
            m_setup.SaveSetup(fileName);
        if (const auto failed = connectAndRun(true)) return *failed;
        return m_exitCode;
    }

    // Writes the setup held by FILE into the controller and waits for the echo of every block.
    int restore(const QString& fileName) {
        try {
            m_setup.RetrieveSetup(fileName);
        } catch (const ComponentError& e) {
            m_err << "field-console-cli: Unable to restore setup. " << e.description() << '\n' << Qt::flush;
            return kUsageOrFile;
        }
        m_restoring = true;
        connect(&m_manager, &CMsgManager::MessageReady, this, [this](qint32 winId) { onWriteEcho(winId); });
        connect(&m_loop, &CScanLoop::ticked, this, [this] { onRestoreTick(); });
        if (const auto failed = connectAndRun(false)) return *failed;
        return m_exitCode;
    }

    [[nodiscard]] const C_M852_SetupSave& setup() const { return m_setup; }

private:
    // Opens the port and runs the scan until a handler ends the loop. Returns the exit status when
    // the port could not be opened.
    std::optional<int> connectAndRun(bool firstIsRead) {
        m_loop.SetScanInterval(firstIsRead);
        if (!m_manager.Connect()) {
            m_err << "field-console-cli: cannot open the port: " << m_loop.serial().lastOpenFailure().message
                  << '\n'
                  << Qt::flush;
            return kPortFailure;
        }
        // The first request goes out now; the timer takes over from there.
        QTimer::singleShot(0, this, [this] { m_loop.tick(); });
        m_exitCode = m_events.exec();
        m_manager.Disconnect();
        return std::nullopt;
    }

    void onWriteEcho(qint32 winId) {
        if (winId != C_M852_SetupSave::kWinID || !m_restoring) return;
        const CMsgPacketNode& reply = m_manager.GetWaitingData();
        if (reply.MsgType() != 16) return;
        const int index = SetupRecord::blockIndexOf(reply.StartingReg());
        if (index < 0) return;
        const qint32 bit = SetupRecord::kBlocks[size_t(index)].bit;
        if (m_confirmed & bit) return;
        m_confirmed |= bit;
        int n = 0;
        for (const auto& b : SetupRecord::kBlocks)
            if (m_confirmed & b.bit) ++n;
        m_err << "restore-setup: " << n << " of " << SetupRecord::kBlockCount << " blocks written\n"
              << Qt::flush;
        if (m_confirmed == SetupRecord::kCompleteMask) {
            m_restoring = false;
            m_events.exit(kOk);
        }
    }

    // A round of writes ends one tick after the last of them went out (its echo is collected then);
    // blocks without an echo are written again, up to --tries rounds. Writing a settings block twice
    // leaves the same values.
    void onRestoreTick() {
        if (!m_restoring || m_manager.queueSize() > 0) return;
        if (!m_roundSent) {
            m_roundSent = true;
            return;
        }
        QStringList missing;
        for (const auto& b : SetupRecord::kBlocks)
            if (!(m_confirmed & b.bit)) missing << QStringLiteral("%1 x %2").arg(b.start).arg(b.count);
        if (m_round >= m_options.tries) {
            m_restoring = false;
            m_err << "field-console-cli: Unable to restore setup. No echo for register blocks "
                  << missing.join(QStringLiteral(", ")) << " after " << m_round
                  << " tries; those settings may not have been written.\n"
                  << Qt::flush;
            m_events.exit(kNoReply);
            return;
        }
        ++m_round;
        m_roundSent = false;
        for (const auto& b : SetupRecord::kBlocks) {
            if (m_confirmed & b.bit) continue;
            auto p = std::make_shared<CMsgPacketNode>();
            p->setWinID(static_cast<qint16>(C_M852_SetupSave::kWinID));
            p->setDeviceAddr(0);
            p->setMsgType(16);
            p->setPersistent(false);
            p->setStartingReg(b.start);
            p->setNumReg(b.count);
            for (int k = 0; k < b.count; ++k) p->setData(k, m_setup.Record()[size_t(b.firstWord + k)]);
            m_manager.AddMsgPacket(p);
        }
    }

    CliOptions m_options;
    QTextStream& m_err;
    CScanLoop m_loop;
    CMsgManager m_manager;
    C_M852_SetupSave m_setup;
    QEventLoop m_events;
    int m_exitCode = kNoReply;
    // restore
    bool m_restoring = false;
    qint32 m_confirmed = 0;
    int m_round = 1;
    bool m_roundSent = false;
};

// A setup file's record; a message and nothing when it cannot be read or is short.
std::optional<SetupRecord::Words> readFile(const QString& fileName, QTextStream& err) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "field-console-cli: " << fileName << ": " << file.errorString() << '\n' << Qt::flush;
        return std::nullopt;
    }
    const QByteArray bytes = file.read(SetupRecord::kFileSize);
    const auto words = SetupRecord::fromBytes(bytes);
    if (!words)
        err << "field-console-cli: " << fileName << " holds " << bytes.size() << " bytes; a setup file holds "
            << SetupRecord::kFileSize << '\n'
            << Qt::flush;
    return words;
}

int compare(const Command& c, QTextStream& out, QTextStream& err) {
    std::array<SetupRecord::Words, 2> records{};
    // Files first: a bad file ends the run before the controller is asked anything.
    for (int i = 0; i < 2; ++i) {
        if (c.operands.at(i) == kLive) continue;
        const auto words = readFile(c.operands.at(i), err);
        if (!words) return kUsageOrFile;
        records[size_t(i)] = *words;
    }
    for (int i = 0; i < 2; ++i) {
        if (c.operands.at(i) != kLive) continue;
        SetupLink link(c.options, err);
        const int code = link.save(QString(), kCompare);
        if (code != kOk) return code == kPortFailure ? kPortFailure : kNoReplyCompare;
        records[size_t(i)] = link.setup().Record();
    }
    const auto differences = SetupRecord::compare(records[0], records[1]);
    for (const auto& d : differences)
        out << d.reg << ' ' << d.a << ' ' << d.b << ' ' << SetupRecord::windowNameOfRegister(d.reg) << '\n';
    out.flush();
    err << "compare-setup: " << differences.size() << " of " << SetupRecord::kWords << " registers differ\n"
        << Qt::flush;
    return differences.isEmpty() ? kOk : kDiffer;
}

}  // namespace

namespace CliSetup {

std::optional<int> run(const QStringList& args, QTextStream& out, QTextStream& err) {
    const auto index = commandIndex(args);
    if (!index) return std::nullopt;

    auto usageError = [&err](const QString& text) {
        err << "field-console-cli: " << text << "\n(field-console-cli --help shows the usage)\n" << Qt::flush;
        return kUsageOrFile;
    };

    Command c;
    c.name = args.at(*index);
    // The port options are checked exactly as for a read (the read itself is never run).
    QString error;
    const auto options = CliOptions::parse(
        args.mid(0, *index) << QStringLiteral("read") << QStringLiteral("1") << QStringLiteral("1"), &error);
    if (!options) return usageError(error);
    c.options = *options;
    c.operands = args.mid(*index + 1);
    for (const QString& operand : c.operands)
        if (operand.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("unknown option %1 for %2").arg(operand, c.name));

    if (c.name == kCompare) {
        if (c.operands.size() != 2)
            return usageError(QStringLiteral("compare-setup takes A and B (files or live)"));
        if (c.operands.at(0) == kLive && c.operands.at(1) == kLive)
            return usageError(QStringLiteral("compare-setup: at most one of A and B can be live"));
        return compare(c, out, err);
    }
    if (c.operands.size() != 1 || c.operands.at(0).isEmpty())
        return usageError(QStringLiteral("%1 takes one FILE").arg(c.name));
    SetupLink link(c.options, err);
    if (c.name == kSave) {
        const int code = link.save(c.operands.at(0), kSave);
        if (code == kOk) err << "save-setup: setup saved to " << c.operands.at(0) << '\n' << Qt::flush;
        return code;
    }
    const int code = link.restore(c.operands.at(0));
    if (code == kOk) err << "restore-setup: setup written from " << c.operands.at(0) << '\n' << Qt::flush;
    return code;
}

QString usage() {
    return QStringLiteral(
        "\n"
        "Setup files (the controller's 307 settings registers, 614 bytes, as File > Save Setup writes):\n"
        "  field-console-cli [port options] save-setup FILE\n"
        "  field-console-cli [port options] restore-setup FILE\n"
        "  field-console-cli [port options] compare-setup A B\n"
        "    save-setup reads the 12 settings blocks into FILE; restore-setup writes FILE's blocks and\n"
        "    waits for each echo. Progress goes to stderr. --tries N: rounds in which missing blocks\n"
        "    are asked for again (default 3).\n"
        "    compare-setup: A and B are setup files or \"live\" (the connected controller); prints\n"
        "    \"REGISTER A-VALUE B-VALUE WINDOW\" for each register that differs, WINDOW being the\n"
        "    window that shows it (\"-\" for none).\n"
        "    Exit status: 0 success / equal; 1 no valid reply or port lost (save, restore), or the\n"
        "    setups differ (compare); 2 usage error, or a FILE that cannot be read, is shorter than\n"
        "    614 bytes or cannot be written; 3 the port could not be opened; 4 compare-setup got no\n"
        "    valid reply from the live controller.\n");
}

}  // namespace CliSetup
