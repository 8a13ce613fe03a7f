#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The command line of field-console-cli, parsed and checked. Nothing here touches a port.
struct CliOptions {
    enum class Command { Help, Version, Read, Write };

    Command command = Command::Help;
    int port = 0;    // the built-in simulated controller unless --port or --device says otherwise
    QString device;  // --device PATH (empty: none)
    int scanRateMs = 500;
    bool automaticScanRate = false;  // --scan-rate auto (scanRateMs is then the longest wait)
    int tries = 3;
    int start = 0;        // first register, 1-based
    int count = 0;        // read: registers to read
    int repeat = 0;       // read --repeat N (0: read once, retrying up to `tries` polls)
    bool each = false;    // read --each: one line per poll
    bool single = false;  // write --single: function 6 instead of 16
    bool resend = false;  // write --resend: send again after every interval without an echo
    QList<int> values;    // write: values as given (-32768..65535)

    // The engine addresses registers 1..32767 (the 1-based number travels in a signed 16-bit field).
    static constexpr int kMaxRegister = 32767;
    // A read reply holds 2 bytes per register in a 257-byte frame buffer: 125 is Modbus's own limit.
    static constexpr int kMaxReadCount = 125;
    // Function 16 carries at most 123 registers (246 data bytes) in one request.
    static constexpr int kMaxWriteCount = 123;
    // The command register: every write of it runs a command, so a write of it is never repeated.
    static constexpr int kCommandRegister = 1350;

    // Parses the arguments after the program name. On a usage error returns std::nullopt and sets
    // `error` to a one-line explanation.
    [[nodiscard]] static std::optional<CliOptions> parse(const QStringList& args, QString* error);

    [[nodiscard]] static QString usage();
};
