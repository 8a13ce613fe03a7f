#include "sim/SimProcess.h"

#include <QElapsedTimer>
#include <QJsonDocument>

namespace sim {

SimProcess::SimProcess(QString program) : m_program(std::move(program)) {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

SimProcess::~SimProcess() { stop(); }

bool SimProcess::start(const QStringList& arguments, int timeoutMs) {
    if (isRunning()) {
        m_error = QStringLiteral("already running");
        return false;
    }
    m_devicePath.clear();
    m_error.clear();
    m_process.start(m_program, QStringList{QStringLiteral("--stdin-control")} + arguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    const std::optional<QByteArray> line = readLine(timeoutMs);
    if (!line || !line->startsWith('/')) {
        m_error = QStringLiteral("no device path from %1: %2")
                      .arg(m_program, QString::fromLocal8Bit(line.value_or(QByteArray()) + standardError()));
        stop();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(*line);
    return true;
}

bool SimProcess::isRunning() const { return m_process.state() == QProcess::Running; }

qint64 SimProcess::processId() const { return m_process.processId(); }

std::optional<QByteArray> SimProcess::readLine(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0 || m_process.state() != QProcess::Running) return std::nullopt;
        m_process.waitForReadyRead(int(left));
    }
    return m_process.readLine().trimmed();
}

std::optional<QByteArray> SimProcess::command(const QByteArray& line, int timeoutMs) {
    if (!isRunning()) return std::nullopt;
    m_process.write(line + '\n');
    if (!m_process.waitForBytesWritten(timeoutMs)) return std::nullopt;
    return readLine(timeoutMs);
}

bool SimProcess::setRegister(int reg, quint16 value, int timeoutMs) {
    const auto answer =
        command("set " + QByteArray::number(reg) + '=' + QByteArray::number(value), timeoutMs);
    return answer && *answer == "ok";
}

std::optional<QList<quint16>> SimProcess::registers(int reg, int count, int timeoutMs) {
    const auto answer =
        command("get " + QByteArray::number(reg) + ' ' + QByteArray::number(count), timeoutMs);
    if (!answer || !answer->startsWith("values")) return std::nullopt;
    const QList<QByteArray> parts = answer->split(' ');
    if (parts.size() != count + 1) return std::nullopt;
    QList<quint16> values;
    for (qsizetype i = 1; i < parts.size(); ++i) values.append(static_cast<quint16>(parts.at(i).toUInt()));
    return values;
}

std::optional<QJsonObject> SimProcess::state(int timeoutMs) {
    const auto answer = command("dump", timeoutMs);
    if (!answer || !answer->startsWith("state ")) return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(answer->mid(6));
    if (!doc.isObject()) return std::nullopt;
    return doc.object();
}

int SimProcess::stop(int timeoutMs) {
    if (m_process.state() == QProcess::NotRunning) return -1;
    m_process.terminate();  // SIGTERM to this process id
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();  // SIGKILL to this process id
        m_process.waitForFinished(timeoutMs);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray SimProcess::standardError() {
    m_stderr += m_process.readAllStandardError();
    return m_stderr;
}

}  // namespace sim
