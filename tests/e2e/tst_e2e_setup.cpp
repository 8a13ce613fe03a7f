// Setup files end to end: field-console-cli saves the settings of one simulated controller (m852-sim
// on a pseudo-terminal), restores them into a second one with other contents, and compare-setup
// then finds the second equal to the file; compare-setup on files alone; a link that answers nothing.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "files/SetupRecord.h"
#include "sim/SimProcess.h"

namespace {

struct CliResult {
    int exitCode = -1;
    QStringList out;
    QString err;
};

CliResult runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(FIELD_CONSOLE_CLI), args);
    CliResult r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The 307 setup registers a simulator holds, in block order.
std::optional<QList<quint16>> setupRegisters(sim::SimProcess& sim) {
    QList<quint16> all;
    for (const auto& b : SetupRecord::kBlocks) {
        const auto values = sim.registers(b.start, b.count);
        if (!values) return std::nullopt;
        all += *values;
    }
    return all;
}

}  // namespace

class TestE2eSetup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A simulator on its own link; skips the test when the program is not built here.
    std::unique_ptr<sim::SimProcess> startSim(const QString& link, const QStringList& extra = {}) {
#ifdef M852_SIM_PROGRAM
        auto s = std::make_unique<sim::SimProcess>(QStringLiteral(M852_SIM_PROGRAM));
        if (!s->start(QStringList{QStringLiteral("--link"), path(link)} + extra)) {
            qWarning() << s->errorString();
            return nullptr;
        }
        return s;
#else
        Q_UNUSED(link);
        Q_UNUSED(extra);
        return nullptr;
#endif
    }

    QStringList on(const QString& link) const {
        return {QStringLiteral("--device"), path(link), QStringLiteral("--scan-rate"), QStringLiteral("100")};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Save from one controller, restore into another with other contents: afterwards the second's
    // 307 setup registers equal the first's, and compare-setup of it against the file says equal.
    void saveRestoreAcrossControllers() {
#ifndef M852_SIM_PROGRAM
        QSKIP("m852-sim is not available here");
#endif
        auto first = startSim(QStringLiteral("first"));
        QVERIFY(first);
        // Other settings in the second: calendar, source settings, common alarms, texts, daylight saving.
        auto second = startSim(QStringLiteral("second"),
                               {QStringLiteral("--set"), QStringLiteral("910=1234"), QStringLiteral("--set"),
                                QStringLiteral("23=999"), QStringLiteral("--set"), QStringLiteral("800=7"),
                                QStringLiteral("--set"), QStringLiteral("1164=65535"),
                                QStringLiteral("--set"), QStringLiteral("1254=3")});
        QVERIFY(second);
        const auto before = setupRegisters(*second);
        const auto wanted = setupRegisters(*first);
        QVERIFY(before && wanted);
        QVERIFY(*before != *wanted);

        const QString file = path(QStringLiteral("first.sdf"));
        CliResult r = runCli(on(QStringLiteral("first")) << QStringLiteral("save-setup") << file);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QLatin1String("12 of 12 blocks received")), qPrintable(r.err));
        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes.size(), 614);
        QCOMPARE(quint16(quint8(bytes.at(0)) | (quint8(bytes.at(1)) << 8)), wanted->first());  // register 910

        // Before the restore the live controller differs from the file, register by register.
        r = runCli(on(QStringLiteral("second"))
                   << QStringLiteral("compare-setup") << file << QStringLiteral("live"));
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        QVERIFY2(
            r.out.contains(QStringLiteral("910 %1 1234 Exerciser Calendar").arg(qint16(wanted->first()))),
            qPrintable(r.out.join(QLatin1Char('\n'))));
        QVERIFY(r.out.contains(QStringLiteral("1164 %1 -1 System Information").arg(qint16(wanted->at(303)))));

        r = runCli(on(QStringLiteral("second")) << QStringLiteral("restore-setup") << file);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QLatin1String("12 of 12 blocks written")), qPrintable(r.err));

        const auto after = setupRegisters(*second);
        QVERIFY(after);
        QCOMPARE(*after, *wanted);
        r = runCli(on(QStringLiteral("second"))
                   << QStringLiteral("compare-setup") << QStringLiteral("live") << file);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    // A controller that answers nothing: the save stops after three rounds, names the blocks and
    // writes no file; a port that does not exist ends with status 3.
    void saveWithoutReplies() {
#ifndef M852_SIM_PROGRAM
        QSKIP("m852-sim is not available here");
#endif
        auto mute = startSim(QStringLiteral("mute"), {QStringLiteral("--drop"), QStringLiteral("1")});
        QVERIFY(mute);
        const QString file = path(QStringLiteral("mute.sdf"));
        CliResult r = runCli(QStringList{QStringLiteral("--device"), path(QStringLiteral("mute")),
                                         QStringLiteral("--scan-rate"), QStringLiteral("30"),
                                         QStringLiteral("save-setup"), file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String("Unable to save setup.")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QLatin1String("1252 x 3")), qPrintable(r.err));
        QVERIFY(!QFile::exists(file));

        r = runCli({QStringLiteral("--device"), path(QStringLiteral("nothing-here")),
                    QStringLiteral("save-setup"), file});
        QCOMPARE(r.exitCode, 3);
    }

    // compare-setup on files alone: equal, one changed word (signed values, the window's name), a
    // short file; and a short file refused by restore-setup before the port is opened.
    void compareFiles_data() {
        QTest::addColumn<int>("changedWord");  // -1: none
        QTest::addColumn<int>("secondSize");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("out");
        QTest::newRow("equal") << -1 << 614 << 0 << QStringList{};
        QTest::newRow("equal, second longer") << -1 << 700 << 0 << QStringList{};
        QTest::newRow("one changed word")
            << 160 << 614 << 1 << QStringList{QStringLiteral("740 160 -5 Time Delays")};
        QTest::newRow("short file") << -1 << 613 << 2 << QStringList{};
    }
    void compareFiles() {
        QFETCH(int, changedWord);
        QFETCH(int, secondSize);
        QFETCH(int, exitCode);
        QFETCH(QStringList, out);
        SetupRecord::Words a{};
        for (int k = 0; k < SetupRecord::kWords; ++k) a[size_t(k)] = static_cast<qint16>(k);
        SetupRecord::Words b = a;
        if (changedWord >= 0) b[size_t(changedWord)] = -5;
        QByteArray second = SetupRecord::toBytes(b);
        second = second.leftJustified(secondSize, '\0', true);
        const QString fa = path(QStringLiteral("a.sdf"));
        const QString fb = path(QStringLiteral("b.sdf"));
        QVERIFY(writeFile(fa, SetupRecord::toBytes(a)));
        QVERIFY(writeFile(fb, second));

        const CliResult r = runCli({QStringLiteral("compare-setup"), fa, fb});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out, out);
        if (exitCode == 2) {
            QVERIFY2(r.err.contains(QLatin1String("613 bytes")), qPrintable(r.err));
            const CliResult restore =
                runCli({QStringLiteral("--device"), path(QStringLiteral("nothing-here")),
                        QStringLiteral("restore-setup"), fb});
            QCOMPARE(restore.exitCode, 2);
            QVERIFY2(restore.err.contains(QLatin1String("Unable to restore setup.")),
                     qPrintable(restore.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestE2eSetup)

#include "tst_e2e_setup.moc"
