#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace sim {

// Runs the `m852-sim` program for a test: starts it, learns the pseudo-terminal's device path from
// its first line of output, and stops it again by its process id (SIGTERM, then SIGKILL).
//
// The program is started with --stdin-control: it then takes commands on its standard input, one per
// line, and answers each with one line on its standard output: "set REG=VALUE[ REG=VALUE...]" ->
// "ok" or "error ...", "get REG [COUNT]" -> "values V..." or "error ...", and "dump" ->
// "state {json}" (the same JSON as --dump writes). It also ends when its standard input closes, so
// a crashed test leaves no simulator behind.
class SimProcess {
public:
    // `program`: path of the m852-sim executable.
    explicit SimProcess(QString program);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the program with `arguments` (its options) and waits up to `timeoutMs` for the device
    // path. False on failure (see errorString()).
    bool start(const QStringList& arguments = {}, int timeoutMs = 10000);
    [[nodiscard]] bool isRunning() const;
    [[nodiscard]] QString devicePath() const { return m_devicePath; }
    [[nodiscard]] qint64 processId() const;
    [[nodiscard]] QString errorString() const { return m_error; }

    // Sets registers in the running simulator.
    bool setRegister(int reg, quint16 value, int timeoutMs = 5000);
    // Current value of registers [reg, reg + count); std::nullopt on failure or an unmapped register.
    [[nodiscard]] std::optional<QList<quint16>> registers(int reg, int count = 1, int timeoutMs = 5000);
    // The full state: {"address":.., "requests":.., "registers":{"<reg>":value,...}, "faults":{...}}.
    [[nodiscard]] std::optional<QJsonObject> state(int timeoutMs = 5000);

    // Stops the program (SIGTERM to its id, SIGKILL after `timeoutMs`) and returns its exit code, or
    // -1 when it had to be killed or was not running.
    int stop(int timeoutMs = 5000);

    // Standard error collected so far (for diagnostics).
    [[nodiscard]] QByteArray standardError();

private:
    [[nodiscard]] std::optional<QByteArray> command(const QByteArray& line, int timeoutMs);
    [[nodiscard]] std::optional<QByteArray> readLine(int timeoutMs);

    QString m_program;
    QProcess m_process;
    QString m_devicePath;
    QString m_error;
    QByteArray m_stderr;
};

}  // namespace sim
