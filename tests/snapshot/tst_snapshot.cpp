#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "sim/SimProcess.h"

namespace {

struct Run {
    int exitCode = -1;
    QString err;
    QString out;
};

Run runSnapshot(const QStringList& args, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FC_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FC_SNAPSHOT_PROGRAM), args);
    Run r;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("fc-snapshot did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return r;
}

QJsonObject readJson(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

}  // namespace

class tst_Snapshot : public QObject {
    Q_OBJECT
private slots:
    void sourceInfoAgainstSimulatedController() {
        QTemporaryDir home, out;
        QVERIFY(home.isValid() && out.isValid());
        const Run r = runSnapshot({"--role", "3", "--port", "0", "--out", out.path(), "3"}, home.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));

        const QDir dir(out.path());
        for (const char* png : {"DW_M852_SourceInfo.png", "SU_M852_SourceInfo.png", "mdiMain.png"}) {
            const QImage image(dir.filePath(QLatin1String(png)));
            QVERIFY2(!image.isNull() && image.width() > 0 && image.height() > 0, png);
        }

        const QJsonObject window = readJson(dir.filePath("DW_M852_SourceInfo.json"));
        const QJsonObject dialog = readJson(dir.filePath("SU_M852_SourceInfo.json"));
        QVERIFY(!window.isEmpty());
        QVERIFY(!dialog.isEmpty());

        // Values the simulated controller holds (nominal 480 V / 60 Hz, line A-B of N 480.0 V).
        QCOMPARE(window["lblVoltAB_1"]["text"].toString(), QStringLiteral("480.0"));
        QCOMPARE(window["lblSysVolt_1"]["text"].toString(), QStringLiteral("480"));
        QCOMPARE(window["lblFreq_1"]["text"].toString(), QStringLiteral("60.0"));
        QCOMPARE(window["lblExpRotation_1"]["text"].toString(), QStringLiteral("ABC"));
        QCOMPARE(window["lblVoltAB_1"]["visible"].toBool(), true);

        // The dialog is filled from the same data: 60 Hz and ABC chosen, 50 Hz and CBA not.
        QCOMPARE(dialog["optFreq60_0"]["checked"], QJsonValue(true));
        QCOMPARE(dialog["optFreq50_0"]["checked"], QJsonValue(false));
        QCOMPARE(dialog["optRotateABC"]["checked"], QJsonValue(true));
        QCOMPARE(dialog["optRotateCBA"]["checked"], QJsonValue(false));
        QVERIFY(!window["lblVoltAB_1"].toObject().contains("checked"));  // only checkable controls have it

        static const QRegularExpression colour(QStringLiteral("^#[0-9a-f]{6}$"));
        for (const QJsonObject* file : {&window, &dialog}) {
            for (auto it = file->begin(); it != file->end(); ++it) {
                const QJsonObject e = it.value().toObject();
                const QString name = it.key();
                QVERIFY2(e["text"].isString(), qPrintable(name));
                QVERIFY2(e["visible"].isBool(), qPrintable(name));
                QVERIFY2(e["enabled"].isBool(), qPrintable(name));
                QVERIFY2(colour.match(e["background"].toString()).hasMatch(), qPrintable(name));
            }
        }
    }

    // Before every block has been read the dialog would show fields never read: it is not captured.
    void noDialogBeforeTheFirstRead() {
        QTemporaryDir home, out;
        QVERIFY(home.isValid() && out.isValid());
        const Run r =
            runSnapshot({"--role", "3", "--port", "0", "--out", out.path(), "--cycles", "0", "3"}, home.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QDir dir(out.path());
        QVERIFY(QFile::exists(dir.filePath("DW_M852_SourceInfo.png")));
        QVERIFY(!QFile::exists(dir.filePath("SU_M852_SourceInfo.png")));
        QVERIFY2(r.err.contains(QStringLiteral("SourceInfo: setup not available now")), qPrintable(r.err));
    }

    // --accept presses OK in the captured dialog without an edit: the simulator's request log shows
    // the one write that makes, and it writes back exactly what the controller holds.
    void acceptWritesWhatWasRead() {
        if (!QFile::exists(QStringLiteral(M852_SIM_PROGRAM))) QSKIP("m852-sim is not built");
        QTemporaryDir home, out, logDir;
        QVERIFY(home.isValid() && out.isValid() && logDir.isValid());
        const QString log = logDir.filePath("requests.jsonl");
        sim::SimProcess sim(QStringLiteral(M852_SIM_PROGRAM));
        QVERIFY2(sim.start({"--no-pacing", "--log", log}), qPrintable(sim.errorString()));
        const std::optional<QList<quint16>> before = sim.registers(23, 7);
        QVERIFY(before);
        const Run r = runSnapshot({"--role", "3", "--device", sim.devicePath(), "--out", out.path(), "--cycles",
                                   "2", "--accept", "3"},
                                  home.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("accepted SU_M852_SourceInfo")), qPrintable(r.out));
        QCOMPARE(sim.registers(23, 7), before);
        QCOMPARE(sim.stop(), 0);

        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QList<QJsonObject> writes;
        int reads = 0;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.trimmed().isEmpty()) continue;
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o["function"].toInt() == 3)
                ++reads;
            else
                writes << o;
        }
        QVERIFY(reads >= 4);  // both blocks, before and after the OK
        QCOMPARE(writes.size(), 1);
        const QJsonObject w = writes.constFirst();
        QCOMPARE(w["function"].toInt(), 16);
        QCOMPARE(w["start"].toInt(), 23);
        QCOMPARE(w["count"].toInt(), 7);
        QList<quint16> values;
        for (const QJsonValue v : w["values"].toArray()) values << quint16(v.toInt());
        QCOMPARE(values, *before);
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("exitCode");  // 1 = bad command line, 3 = no connection
        QTest::newRow("unknown window code")
            << QStringList{"--role", "3", "--port", "0", "--out", "OUT", "99"}
            << "window type codes are 0..20, not 99" << 1;
        QTest::newRow("missing device")
            << QStringList{"--role", "3", "--device", "/nonexistent/tty", "--out", "OUT", "3"}
            << "cannot connect:" << 3;
        QTest::newRow("no role") << QStringList{"--port", "0", "--out", "OUT", "3"} << "--role is required"
                                 << 1;
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(int, exitCode);
        QTemporaryDir home, out;
        QVERIFY(home.isValid() && out.isValid());
        args.replaceInStrings(QRegularExpression(QStringLiteral("^OUT$")), out.path());
        const Run r = runSnapshot(args, home.path());
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("fc-snapshot: ") + message), qPrintable(r.err));
        QVERIFY2(QDir(out.path()).isEmpty(), "nothing is written on failure");
    }
};

QTEST_MAIN(tst_Snapshot)
#include "tst_snapshot.moc"
