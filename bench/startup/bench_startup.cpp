// Start-up benchmark: how long the program takes to put its login dialog on the screen, and how long
// from the login's OK to the main window on the screen, each as a ratio to a minimal Qt Widgets
// program that shows one dialog, measured side by side in one run (the two programs alternate, so a
// change in the machine's load hits both). Offscreen platform; medians of N runs.
//
//   start -> login shown   = (login_shown stamp) - (driver's stamp just before launching)
//   OK -> main shown       = (main_shown stamp) - (ok stamp), both in the measured process
//   reference              = (dialog_shown stamp) - (driver's stamp just before launching)
//
// Every stamp is taken on the system's monotonic clock, which is the same in all processes.
// Before the measured runs each program runs once unmeasured, which also creates the account file and
// the settings, so the runs measure an ordinary start, not the very first one.
//
// Usage: bench_startup [--runs N]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "StartupMark.h"

namespace {

QString cpuModel() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    return QSysInfo::currentCpuArchitecture();
}

QString loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QStringLiteral("n/a");
}

// Runs a program and returns its stamps and the driver's launch stamp ("launch").
std::optional<std::map<QString, long long>> runOnce(const QString& program, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    std::map<QString, long long> stamps;
    stamps[QStringLiteral("launch")] = startup_mark::nowNs();
    p.start(program, {});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return std::nullopt;
    }
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2) stamps[QString::fromLatin1(parts[0])] = parts[1].toLongLong();
    }
    return stamps;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 15;
    const QStringList args = app.arguments();
    if (const auto i = args.indexOf(QStringLiteral("--runs")); i >= 0 && i + 1 < args.size())
        runs = args.at(i + 1).toInt();
    if (runs < 1) runs = 1;

    const QString dir = QCoreApplication::applicationDirPath();
    const QString baseline = QDir(dir).filePath(QStringLiteral("bench_startup_baseline"));
    const QString measured = QDir(dir).filePath(QStringLiteral("bench_startup_app"));
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("FC_HOME"), home.path());

    std::printf("Start-up benchmark\n");
    std::printf("machine: %s, %s, %d logical CPUs, load average %s\n", qPrintable(cpuModel()),
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
                qPrintable(loadAverage()));
    std::printf("Qt %s, build type %s, platform offscreen, %d runs (after one unmeasured run of each)\n",
                qVersion(), FC_BUILD_TYPE, runs);

    // The unmeasured first runs: the measured program's is a first start (it creates the account file
    // and every settings key, each write flushed to disk), shown for information.
    const auto firstRef = runOnce(baseline, env);
    const auto first = runOnce(measured, env);
    if (!firstRef || !first) return 1;
    {
        auto f = *first;
        std::printf(
            "first start (one run, not in the medians): start->login %.1f ms, OK->main window %.1f ms\n",
            (f[QStringLiteral("login_shown")] - f[QStringLiteral("launch")]) / 1e6,
            (f[QStringLiteral("main_shown")] - f[QStringLiteral("ok")]) / 1e6);
    }

    std::vector<double> reference, login, okToMain;
    std::printf("%4s %14s %16s %16s\n", "run", "reference ms", "start->login ms", "OK->main ms");
    for (int r = 0; r < runs; ++r) {
        // Alternate which goes first, so neither always runs on a machine the other just warmed.
        std::optional<std::map<QString, long long>> a, b;
        if (r % 2 == 0) {
            a = runOnce(baseline, env);
            b = runOnce(measured, env);
        } else {
            b = runOnce(measured, env);
            a = runOnce(baseline, env);
        }
        if (!a || !b) return 1;
        auto& ra = *a;
        auto& rb = *b;
        if (!ra.count(QStringLiteral("dialog_shown")) || !rb.count(QStringLiteral("login_shown")) ||
            !rb.count(QStringLiteral("ok")) || !rb.count(QStringLiteral("main_shown"))) {
            std::fprintf(stderr, "a program did not report all its stamps\n");
            return 1;
        }
        const double ref = (ra[QStringLiteral("dialog_shown")] - ra[QStringLiteral("launch")]) / 1e6;
        const double log = (rb[QStringLiteral("login_shown")] - rb[QStringLiteral("launch")]) / 1e6;
        const double main = (rb[QStringLiteral("main_shown")] - rb[QStringLiteral("ok")]) / 1e6;
        reference.push_back(ref);
        login.push_back(log);
        okToMain.push_back(main);
        std::printf("%4d %14.1f %16.1f %16.1f\n", r + 1, ref, log, main);
    }
    const double mRef = median(reference), mLogin = median(login), mMain = median(okToMain);
    std::printf("median: reference %.1f ms, start->login %.1f ms, OK->main window %.1f ms\n", mRef, mLogin,
                mMain);
    std::printf("ratio to reference: start->login %.2f, OK->main window %.2f\n", mLogin / mRef, mMain / mRef);
    return 0;
}
