#include "CliOptions.h"

#include <QRegularExpression>

#include "comm/CSerialService.h"

namespace {

// A whole decimal integer in [min, max]; "+5", " 5", "5x" and "0x10" are refused.
std::optional<int> parseInt(const QString& text, int min, int max) {
    static const QRegularExpression kInteger(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!kInteger.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max) return std::nullopt;
    return v;
}

// "-5" is a value, "--repeat" and "-h" are options.
bool looksLikeOption(const QString& arg) {
    return arg.startsWith(QLatin1Char('-')) && !(arg.size() > 1 && arg.at(1).isDigit());
}

struct Parser {
    QStringList args;
    int i = 0;
    QString* error;

    bool fail(const QString& text) {
        if (error) *error = text;
        return false;
    }

    // The value of `--name VALUE` or `--name=VALUE`; `arg` is the option as given.
    std::optional<QString> optionValue(const QString& arg) {
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq >= 0) return arg.mid(eq + 1);
        if (i >= args.size()) {
            fail(QStringLiteral("option %1 needs a value").arg(arg));
            return std::nullopt;
        }
        return args.at(i++);
    }

    bool intOption(const QString& arg, int min, int max, int& out) {
        const auto text = optionValue(arg);
        if (!text) return false;
        const auto v = parseInt(*text, min, max);
        if (!v)
            return fail(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                            .arg(optionName(arg))
                            .arg(min)
                            .arg(max)
                            .arg(*text));
        out = *v;
        return true;
    }

    static QString optionName(const QString& arg) {
        const int eq = arg.indexOf(QLatin1Char('='));
        return eq >= 0 ? arg.left(eq) : arg;
    }
};

}  // namespace

std::optional<CliOptions> CliOptions::parse(const QStringList& args, QString* error) {
    CliOptions o;
    Parser p{args, 0, error};
    bool portGiven = false;
    bool deviceGiven = false;

    // Global options, then the command.
    QString command;
    while (p.i < args.size()) {
        const QString arg = args.at(p.i++);
        const QString name = Parser::optionName(arg);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.command = Command::Help;
            return o;
        }
        if (arg == QLatin1String("--version")) {
            o.command = Command::Version;
            return o;
        }
        if (name == QLatin1String("--port")) {
            if (!p.intOption(arg, CSerialService::minPortNumber(), CSerialService::maxPortNumber(), o.port))
                return std::nullopt;
            portGiven = true;
        } else if (name == QLatin1String("--device")) {
            const auto path = p.optionValue(arg);
            if (!path) return std::nullopt;
            if (path->trimmed().isEmpty()) {
                p.fail(QStringLiteral("--device needs a device path"));
                return std::nullopt;
            }
            o.device = path->trimmed();
            deviceGiven = true;
        } else if (name == QLatin1String("--scan-rate")) {
            // "auto": the automatic scan rate, with the default rate as its longest wait.
            const auto text = p.optionValue(arg);
            if (!text) return std::nullopt;
            if (*text == QLatin1String("auto")) {
                o.automaticScanRate = true;
                o.scanRateMs = 500;
            } else if (const auto v = parseInt(*text, 1, 32767)) {
                o.automaticScanRate = false;
                o.scanRateMs = *v;
            } else {
                p.fail(
                    QStringLiteral("--scan-rate must be auto or a whole number from 1 to 32767, not \"%1\"")
                        .arg(*text));
                return std::nullopt;
            }
        } else if (name == QLatin1String("--tries")) {
            if (!p.intOption(arg, 1, 1000000, o.tries)) return std::nullopt;
        } else if (looksLikeOption(arg)) {
            p.fail(QStringLiteral("unknown option %1").arg(arg));
            return std::nullopt;
        } else {
            command = arg;
            break;
        }
    }
    if (portGiven && deviceGiven) {
        p.fail(QStringLiteral("give either --port or --device, not both"));
        return std::nullopt;
    }
    if (command.isEmpty()) {
        p.fail(QStringLiteral("missing command (read or write)"));
        return std::nullopt;
    }

    // The command's own options may stand anywhere after it; the rest are its operands.
    QStringList operands;
    const bool isRead = command == QLatin1String("read");
    const bool isWrite = command == QLatin1String("write");
    if (!isRead && !isWrite) {
        p.fail(QStringLiteral("unknown command \"%1\" (read or write)").arg(command));
        return std::nullopt;
    }
    while (p.i < args.size()) {
        const QString arg = args.at(p.i++);
        const QString name = Parser::optionName(arg);
        if (isRead && name == QLatin1String("--repeat")) {
            if (!p.intOption(arg, 1, 1000000, o.repeat)) return std::nullopt;
        } else if (isRead && arg == QLatin1String("--each")) {
            o.each = true;
        } else if (isWrite && arg == QLatin1String("--single")) {
            o.single = true;
        } else if (isWrite && arg == QLatin1String("--resend")) {
            o.resend = true;
        } else if (looksLikeOption(arg)) {
            p.fail(QStringLiteral("unknown option %1 for %2").arg(arg, command));
            return std::nullopt;
        } else {
            operands.append(arg);
        }
    }

    if (operands.isEmpty()) {
        p.fail(QStringLiteral("%1 needs START").arg(command));
        return std::nullopt;
    }
    const auto start = parseInt(operands.at(0), 1, kMaxRegister);
    if (!start) {
        p.fail(QStringLiteral("START must be a register number from 1 to %1, not \"%2\"")
                   .arg(kMaxRegister)
                   .arg(operands.at(0)));
        return std::nullopt;
    }
    o.start = *start;

    if (isRead) {
        o.command = Command::Read;
        if (operands.size() != 2) {
            p.fail(QStringLiteral("read takes START and COUNT"));
            return std::nullopt;
        }
        const auto count = parseInt(operands.at(1), 1, kMaxReadCount);
        if (!count) {
            p.fail(QStringLiteral("COUNT must be from 1 to %1, not \"%2\"")
                       .arg(kMaxReadCount)
                       .arg(operands.at(1)));
            return std::nullopt;
        }
        o.count = *count;
    } else {
        o.command = Command::Write;
        const QStringList values = operands.mid(1);
        if (values.isEmpty()) {
            p.fail(QStringLiteral("write needs at least one VALUE"));
            return std::nullopt;
        }
        if (o.single && values.size() != 1) {
            p.fail(QStringLiteral("write --single takes exactly one VALUE"));
            return std::nullopt;
        }
        if (values.size() > kMaxWriteCount) {
            p.fail(QStringLiteral("write takes at most %1 values").arg(kMaxWriteCount));
            return std::nullopt;
        }
        for (const QString& text : values) {
            const auto v = parseInt(text, -32768, 65535);
            if (!v) {
                p.fail(QStringLiteral("VALUE must be from -32768 to 65535, not \"%1\"").arg(text));
                return std::nullopt;
            }
            o.values.append(*v);
        }
        o.count = int(o.values.size());
        if (o.resend && o.start <= kCommandRegister && kCommandRegister < o.start + o.count) {
            p.fail(QStringLiteral("--resend is refused for register %1: each write of it runs a command, "
                                  "so a second copy would run it twice")
                       .arg(kCommandRegister));
            return std::nullopt;
        }
    }
    return o;
}

QString CliOptions::usage() {
    return QStringLiteral(
        "Usage:\n"
        "  field-console-cli [--port N | --device PATH] [--scan-rate MS|auto] [--tries N] read START "
        "COUNT [--repeat N] [--each]\n"
        "  field-console-cli [--port N | --device PATH] [--scan-rate MS|auto] [--tries N] write [--single] "
        "[--resend] START VALUE...\n"
        "\n"
        "Reads or writes holding registers of an M852 controller over Modbus RTU (57600,N,8,1), with\n"
        "the same polling engine as Field Console.\n"
        "\n"
        "Options:\n"
        "  --port N        port number. 0 (the default) is the built-in simulated controller, not a\n"
        "                  real device; a note on stderr says so. Windows: COMn. Elsewhere COM1-32 =\n"
        "                  /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.\n"
        "  --device PATH   open this device instead (e.g. /dev/serial/by-id/...).\n"
        "  --scan-rate MS  time the controller gets to answer each request (default 500, 1-32767).\n"
        "  --scan-rate auto  as fast as the controller answers: each request waits its wire time at\n"
        "                  57600 baud plus the controller's measured latency and a small margin,\n"
        "                  at most 500 ms.\n"
        "  --tries N       read: polls without a valid reply before giving up (default 3); with\n"
        "                  --repeat, the run gives up when the first N polls all fail.\n"
        "                  write: scan intervals to wait for the echo of the one write sent\n"
        "                  (with --resend: how often the write is sent until its echo arrives).\n"
        "  --trace         write every exchange to stderr, one line each: time, window, function,\n"
        "                  start, count, outcome, reply ms, request > reply bytes in hex. Works with\n"
        "                  every command and may stand anywhere on the line.\n"
        "\n"
        "Commands:\n"
        "  read START COUNT    read COUNT (1-125) registers from START (1-32767), 1-based numbers;\n"
        "                      prints one \"REGISTER VALUE\" line per register, signed decimal.\n"
        "    --repeat N        poll the block N times, one poll per scan tick; print the registers of\n"
        "                      the last valid reply and then \"sent N, valid N, lost N\".\n"
        "    --each            print one line per poll instead of the registers: the poll number,\n"
        "                      then \"ok\" and the COUNT values, or \"lost\".\n"
        "  write START VALUE...  write the values (-32768..65535; at most 123) from START with\n"
        "                      function 16; prints the registers the controller confirmed.\n"
        "                      The write is sent once; a late echo is still taken within --tries\n"
        "                      intervals. No echo: exit 1, and the write may or may not have been applied.\n"
        "    --single          use function 6 (write single register); exactly one VALUE.\n"
        "    --resend          send the write again after every interval without its echo, up to\n"
        "                      --tries times. Refused when the write includes register 1350 (a\n"
        "                      command would run twice).\n"
        "\n"
        "Exit status: 0 success; 1 no valid reply (or the port was lost); 2 usage error;\n"
        "3 the port could not be opened.\n");
}
