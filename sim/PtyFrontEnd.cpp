#include "sim/PtyFrontEnd.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/M852Image.h"

namespace sim {

namespace {

// A partial request older than this is forgotten. Reads from a pseudo-terminal come in whatever
// pieces the scheduler makes, so the gap is far above the 0.6 ms of a real line.
constexpr qint64 kFrameGapNs = 20'000'000;
// How often to look again for a client after the last one hung up.
constexpr int kRearmMs = 5;

QString answerText(const SlaveEngine::Request& r) {
    if (!r.answered) return QStringLiteral("ignored");
    if (r.exception) return QStringLiteral("exception %1").arg(r.exception);
    return QStringLiteral("ok");
}

}  // namespace

PtyFrontEnd::PtyFrontEnd(SlaveEngine& engine, const FaultConfig& faults, QObject* parent)
    : QObject(parent), m_engine(engine), m_faults(faults) {
    m_clock.start();
    m_rearmTimer.setSingleShot(true);
    m_rearmTimer.setInterval(kRearmMs);
    connect(&m_rearmTimer, &QTimer::timeout, this, [this] {
        if (m_readNotifier) m_readNotifier->setEnabled(true);
    });
    m_outputTimer.setSingleShot(true);
    m_outputTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_outputTimer, &QTimer::timeout, this, &PtyFrontEnd::pumpOutput);
    m_engine.setRequestObserver([this](const SlaveEngine::Request& r) { m_justHandled.push_back(r); });
    syncTime();  // notes the start
}

PtyFrontEnd::~PtyFrontEnd() {
    m_engine.setRequestObserver({});
    m_readNotifier.reset();
    if (!m_linkPath.isEmpty()) {
        const QFileInfo link(m_linkPath);
        if (link.isSymLink() && link.symLinkTarget() == m_devicePath) QFile::remove(m_linkPath);
    }
    if (m_master >= 0) ::close(m_master);
}

bool PtyFrontEnd::open(QString* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
        return false;
    };
    if (m_master >= 0) return true;
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) return fail("posix_openpt");
    if (::grantpt(m_master) != 0) return fail("grantpt");
    if (::unlockpt(m_master) != 0) return fail("unlockpt");
    const char* name = ::ptsname(m_master);
    if (!name) return fail("ptsname");
    m_devicePath = QString::fromLocal8Bit(name);

    // Raw 8-bit bytes, no echo, no line editing, no translation; 57600 baud as the controller's
    // port (a pseudo-terminal does not pace by it, the pacing is ours).
    termios tio{};
    if (::tcgetattr(m_master, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_master, TCSANOW, &tio) != 0) return fail("tcsetattr");
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyFrontEnd::onReadable);
    return true;
}

bool PtyFrontEnd::createLink(const QString& linkPath, QString* error) {
    if (m_devicePath.isEmpty()) {
        if (error) *error = QStringLiteral("not open");
        return false;
    }
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        if (error) *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(m_devicePath.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_linkPath = QFileInfo(linkPath).absoluteFilePath();
    return true;
}

bool PtyFrontEnd::setLogFile(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error) *error = file->errorString();
        return false;
    }
    m_log = std::move(file);
    return true;
}

void PtyFrontEnd::syncTime() { m_engine.image().advanceTo(m_clock.nsecsElapsed()); }

void PtyFrontEnd::onReadable() {
    char buf[512];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        // EIO: no client has the slave side open (it hung up, or none came yet). The master stays
        // open; stop listening for a moment (it would report readable all the time) and look again.
        m_readNotifier->setEnabled(false);
        m_output.clear();
        m_outputTimer.stop();
        m_engine.resetStream();
        m_rearmTimer.start();
        return;
    }
    const qint64 now = m_clock.nsecsElapsed();
    if (m_lastByteNs >= 0 && now - m_lastByteNs > kFrameGapNs) m_engine.resetStream();
    m_lastByteNs = now;
    syncTime();
    const FaultConfig& cfg = m_faults.config();
    // A pseudo-terminal passes the request instantly; on a line it would have taken its wire time.
    const qint64 requestEnd = now + cfg.wireTimeNs(n);
    m_justHandled.clear();
    (void)m_engine.feed(QByteArray(buf, qsizetype(n)));  // the replies are in m_justHandled too
    std::vector<SlaveEngine::Request> handled;
    handled.swap(m_justHandled);
    for (const SlaveEngine::Request& r : handled) {
        FaultInjector::Outcome out;
        if (r.answered) {
            out = m_faults.apply(r.reply);
            queueOutput(out.bytes, requestEnd + cfg.latencyNs());
        }
        ++m_requests;
        if (m_log) writeLog(r, out, now);
        emit requestHandled(r);
    }
}

void PtyFrontEnd::writeLog(const SlaveEngine::Request& r, const FaultInjector::Outcome& out, qint64 nowNs) {
    QJsonArray values;
    for (quint16 v : r.values) values.append(int(v));
    QJsonObject o{{QStringLiteral("t_ms"), double(nowNs) / 1e6},
                  {QStringLiteral("slave"), r.slave},
                  {QStringLiteral("function"), r.function},
                  {QStringLiteral("start"), r.startRegister},
                  {QStringLiteral("count"), r.count},
                  {QStringLiteral("values"), values},
                  {QStringLiteral("answer"), answerText(r)}};
    QJsonObject fault;
    if (out.dropped) fault.insert(QStringLiteral("dropped"), true);
    if (out.crcCorrupted) fault.insert(QStringLiteral("crc"), true);
    if (out.truncated) fault.insert(QStringLiteral("truncated"), true);
    if (out.strayBytes) fault.insert(QStringLiteral("stray"), out.strayBytes);
    if (!fault.isEmpty()) o.insert(QStringLiteral("fault"), fault);
    m_log->write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
    m_log->flush();
}

void PtyFrontEnd::queueOutput(const QByteArray& bytes, qint64 notBeforeNs) {
    const FaultConfig& cfg = m_faults.config();
    qint64 at = std::max(notBeforeNs, m_lineFreeNs);
    for (char byte : bytes) {
        at += cfg.paced ? FaultConfig::kByteTimeNs : 0;
        m_output.push_back({at, byte});
    }
    m_lineFreeNs = at;
    pumpOutput();
}

void PtyFrontEnd::pumpOutput() {
    // Write every byte that is due (a byte is due once it has fully arrived at the far end), then
    // sleep until the next one is due; the timer is rounded up, so bytes are late, never early.
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray due;
    while (!m_output.empty() && m_output.front().dueNs <= now) {
        due.append(m_output.front().byte);
        m_output.pop_front();
    }
    qsizetype off = 0;
    while (off < due.size()) {
        const ssize_t w = ::write(m_master, due.constData() + off, size_t(due.size() - off));
        if (w > 0) {
            off += w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        // EIO (no client) or a full buffer (EAGAIN, the client does not read): the bytes are lost,
        // as on a line nobody listens to.
        break;
    }
    if (!m_output.empty()) {
        const qint64 waitNs = m_output.front().dueNs - now;
        m_outputTimer.start(int(std::max<qint64>(0, (waitNs + 999'999) / 1'000'000)));
    }
}

}  // namespace sim
