// The setup data file: a save through the engine against the simulated controller (file contents,
// arrival order, lost blocks and the rounds that ask for them again), the restore's writes and the
// files it refuses, the record comparison behind compare-setup, and the main window's Save Setup /
// Restore Setup commands with their messages.

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "app/mdiMain.h"
#include "comm/CScanLoop.h"
#include "files/C_M852_SetupSave.h"
#include "files/SetupRecord.h"

namespace {

int frameFunction(const QByteArray& frame) { return static_cast<quint8>(frame.at(1)); }
int frameStart(const QByteArray& frame) {
    return ((static_cast<quint8>(frame.at(2)) << 8) | static_cast<quint8>(frame.at(3))) + 1;
}
int frameCount(const QByteArray& frame) {
    return (static_cast<quint8>(frame.at(4)) << 8) | static_cast<quint8>(frame.at(5));
}
// Values of a function-16 request, high byte first on the wire.
QList<qint16> frameValues(const QByteArray& frame) {
    QList<qint16> values;
    for (int i = 0; i < frameCount(frame); ++i)
        values.append(static_cast<qint16>((static_cast<quint8>(frame.at(7 + 2 * i)) << 8) |
                                          static_cast<quint8>(frame.at(8 + 2 * i))));
    return values;
}

// The setup record the simulated controller holds.
SetupRecord::Words imageRecord(const sim::M852Image& image) {
    SetupRecord::Words words{};
    for (int k = 0; k < SetupRecord::kWords; ++k)
        words[size_t(k)] = static_cast<qint16>(image.valueOr(SetupRecord::registerOfWord(k)));
    return words;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

PacketPtr packet(qint16 winId, qint32 function, const SetupRecord::Block& b, qint16 fill = 0) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setWinID(winId);
    p->setDeviceAddr(0);
    p->setMsgType(function);
    p->setPersistent(false);
    p->setStartingReg(b.start);
    p->setNumReg(b.count);
    for (int k = 0; k < b.count; ++k) p->setData(k, fill);
    return p;
}

// One scan tick as the scan loop runs it, ticked() included. The frame sent is answered by the
// simulated controller unless `lose` says the reply is lost on the line.
struct SaveRig {
    GroupTestRig rig;
    C_M852_SetupSave setup{&rig.manager()};
    QList<QByteArray> sent;
    std::function<bool(const QByteArray&)> lose;

    void tick() {
        const qsizetype before = rig.host.sent.size();
        runTick(rig.manager());
        if (rig.host.sent.size() > before) {
            const QByteArray frame = rig.host.sent.last();
            sent.append(frame);
            if (!lose || !lose(frame)) rig.host.inject(rig.engine.handleFrame(frame));
        }
        setup.OnScanTick();
    }
    // Ticks until the save ended (or `limit` ticks went by).
    void runSave(int limit = 200) {
        for (int i = 0; i < limit && setup.IsSaving(); ++i) tick();
    }
    int readsOf(int start) const {
        return int(std::count_if(sent.cbegin(), sent.cend(), [start](const QByteArray& f) {
            return frameFunction(f) == 3 && frameStart(f) == start;
        }));
    }
};

}  // namespace

class TestSetupSave : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    // A finished save: exactly the 614 bytes of the controller's settings, register 910 first and low
    // byte first, whatever file was there before (a longer old file leaves no tail behind).
    void completedSaveWritesWholeFile_data() {
        QTest::addColumn<int>("oldSize");
        QTest::newRow("new file") << -1;
        QTest::newRow("over a longer file") << 1000;
        QTest::newRow("over a shorter file") << 10;
    }
    void completedSaveWritesWholeFile() {
        QFETCH(int, oldSize);
        SaveRig r;
        const QString file = path("whole.sdf");
        QFile::remove(file);
        if (oldSize >= 0) writeFile(file, QByteArray(oldSize, '\x5A'));
        r.rig.image.set(910, 0x1234);
        r.rig.image.set(1254, 0xFFFE);  // -2
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        QSignalSpy progress(&r.setup, &C_M852_SetupSave::SaveProgress);

        r.setup.SaveSetup(file);
        QVERIFY(r.setup.IsSaving());
        QCOMPARE(r.rig.manager().queueSize(), qint16(12));
        r.runSave();

        QCOMPARE(saved.size(), 1);
        QCOMPARE(r.setup.ReceivedMask(), SetupRecord::kCompleteMask);
        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes.size(), 614);
        QCOMPARE(static_cast<quint8>(bytes.at(0)), quint8(0x34));
        QCOMPARE(static_cast<quint8>(bytes.at(1)), quint8(0x12));
        QCOMPARE(static_cast<quint8>(bytes.at(612)), quint8(0xFE));
        QCOMPARE(static_cast<quint8>(bytes.at(613)), quint8(0xFF));
        QCOMPARE(bytes, SetupRecord::toBytes(imageRecord(r.rig.image)));
        // 0 at the start, then one report per block.
        QCOMPARE(progress.size(), 13);
        QCOMPARE(progress.first().at(0).toInt(), 0);
        QCOMPARE(progress.last().at(0).toInt(), 12);
        QCOMPARE(progress.last().at(1).toInt(), 12);
    }

    // The blocks complete the save in whatever order their replies come.
    void arrivalOrderDoesNotMatter_data() {
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("reverse") << QList<int>{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
        QTest::newRow("block 12 first") << QList<int>{11, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("shuffled") << QList<int>{5, 0, 11, 3, 8, 1, 10, 2, 7, 4, 9, 6};
    }
    void arrivalOrderDoesNotMatter() {
        QFETCH(QList<int>, order);
        SaveRig r;
        const QString file = path("order.sdf");
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        // Reads of WinID 22 queued ahead of the save's own, in the row's order: their replies reach
        // the save first.
        for (int i : order) r.rig.manager().AddMsgPacket(packet(22, 3, SetupRecord::kBlocks[size_t(i)]));
        r.setup.SaveSetup(file);
        for (int t = 0; t < 12; ++t) r.tick();
        QCOMPARE(saved.size(), 0);
        r.tick();  // collects the twelfth reply
        QCOMPARE(saved.size(), 1);
        QCOMPARE(fileBytes(file), SetupRecord::toBytes(imageRecord(r.rig.image)));
    }

    // The echo of a write (function 16) for WinID 22 is not a block: record and mask stay.
    void writeReplyChangesNothing() {
        SaveRig r;
        // Writes 0x1111 into 910..993; the echo's packet then holds those values.
        r.rig.manager().AddMsgPacket(packet(22, 16, SetupRecord::kBlocks[0], 0x1111));
        r.setup.SaveSetup(path("echo.sdf"));
        const SetupRecord::Words before = r.setup.Record();
        QSignalSpy ready(&r.rig.manager(), &CMsgManager::MessageReady);
        r.tick();  // sends the write
        r.tick();  // its echo
        QCOMPARE(ready.size(), 1);
        QCOMPARE(r.rig.manager().GetWaitingData().MsgType(), 16);
        QCOMPARE(r.rig.manager().GetWaitingData().StartingReg(), qint16(910));
        QCOMPARE(r.setup.ReceivedMask(), 0);
        QVERIFY(r.setup.Record() == before);
    }

    // Restore: exactly 12 writes, function 16, in table order, each with the file's words; a file
    // longer than 614 bytes is taken by its first 614.
    void restoreQueuesTwelveWritesInTableOrder_data() {
        QTest::addColumn<int>("tail");
        QTest::newRow("614 bytes") << 0;
        QTest::newRow("longer file") << 200;
    }
    void restoreQueuesTwelveWritesInTableOrder() {
        QFETCH(int, tail);
        SetupRecord::Words words{};
        for (int k = 0; k < SetupRecord::kWords; ++k) words[size_t(k)] = static_cast<qint16>(k * 7 - 1000);
        const QString file = path("restore.sdf");
        writeFile(file, SetupRecord::toBytes(words) + QByteArray(tail, '\x7F'));

        SaveRig r;
        r.setup.RetrieveSetup(file);
        QCOMPARE(r.rig.manager().queueSize(), qint16(12));
        for (int t = 0; t < 12; ++t) r.tick();
        QCOMPARE(r.sent.size(), 12);
        for (int i = 0; i < 12; ++i) {
            const auto& b = SetupRecord::kBlocks[size_t(i)];
            const QByteArray& f = r.sent.at(i);
            QCOMPARE(frameFunction(f), 16);
            QCOMPARE(frameStart(f), int(b.start));
            QCOMPARE(frameCount(f), int(b.count));
            const QList<qint16> values = frameValues(f);
            for (int k = 0; k < b.count; ++k) QCOMPARE(values.at(k), words[size_t(b.firstWord + k)]);
        }
        QCOMPARE(frameCount(r.sent.first()), 84);
        QCOMPARE(frameCount(r.sent.last()), 3);
        // The controller took them all.
        QVERIFY(imageRecord(r.rig.image) == words);
    }

    // A file that is missing, unreadable or shorter than 614 bytes is refused before anything is
    // queued: its missing words would otherwise go into the controller as made-up values.
    void restoreRefusesBadFiles_data() {
        QTest::addColumn<int>("size");  // -1: no file
        QTest::addColumn<quint32>("error");
        QTest::newRow("missing") << -1 << kSetupFileUnreadable;
        QTest::newRow("empty") << 0 << kSetupFileShort;
        QTest::newRow("613 bytes") << 613 << kSetupFileShort;
        QTest::newRow("one word") << 2 << kSetupFileShort;
    }
    void restoreRefusesBadFiles() {
        QFETCH(int, size);
        QFETCH(quint32, error);
        const QString file = path("bad.sdf");
        QFile::remove(file);
        if (size >= 0) writeFile(file, QByteArray(size, '\x11'));
        SaveRig r;
        try {
            r.setup.RetrieveSetup(file);
            QFAIL("a bad file was accepted");
        } catch (const ComponentError& e) {
            QCOMPARE(e.number(), error);
        }
        QCOMPARE(r.rig.manager().queueSize(), qint16(0));
    }

    // A cancelled file dialog hands over the empty name: neither direction starts anything.
    void emptyNameStartsNothing() {
        SaveRig r;
        QSignalSpy progress(&r.setup, &C_M852_SetupSave::SaveProgress);
        r.setup.SaveSetup(QString());
        QVERIFY(!r.setup.IsSaving());
        r.setup.RetrieveSetup(QString());
        QCOMPARE(r.rig.manager().queueSize(), qint16(0));
        QCOMPARE(progress.size(), 0);
    }

    // Lost replies: a missing block is asked for again in the next round; after three rounds
    // without it the save stops and names what is missing; nothing is written.
    void lostBlocksEndTheSave_data() {
        QTest::addColumn<int>("lostStart");  // block whose replies are lost; 0: every reply
        QTest::addColumn<int>("lostTimes");  // how many of its replies are lost
        QTest::addColumn<bool>("completes");
        QTest::addColumn<QString>("missing");
        QTest::newRow("dead link") << 0 << 1000 << false
                                   << QStringLiteral(
                                          "910 x 84, 23 x 9, 32 x 12, 45 x 20, 65 x 35, 740 x 2, 750 x 36, "
                                          "800 x 45, 900 x 2, 1000 x 4, 1110 x 55, 1252 x 3");
        QTest::newRow("one block never answers") << 1252 << 1000 << false << QStringLiteral("1252 x 3");
        QTest::newRow("lost once, then answered") << 65 << 1 << true << QString();
        QTest::newRow("lost twice, then answered") << 800 << 2 << true << QString();
    }
    void lostBlocksEndTheSave() {
        QFETCH(int, lostStart);
        QFETCH(int, lostTimes);
        QFETCH(bool, completes);
        QFETCH(QString, missing);
        const QString file = path("lost.sdf");
        writeFile(file, QByteArray("old contents"));
        SaveRig r;
        int lost = 0;
        r.lose = [&](const QByteArray& f) {
            if (lostStart != 0 && frameStart(f) != lostStart) return false;
            return lost++ < lostTimes;
        };
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        QSignalSpy failed(&r.setup, &C_M852_SetupSave::SaveFailed);
        r.setup.SaveSetup(file);
        r.runSave();

        QVERIFY(!r.setup.IsSaving());
        QCOMPARE(saved.size(), completes ? 1 : 0);
        QCOMPARE(failed.size(), completes ? 0 : 1);
        if (completes) {
            QCOMPARE(fileBytes(file), SetupRecord::toBytes(imageRecord(r.rig.image)));
            QCOMPARE(r.readsOf(lostStart), lostTimes + 1);
        } else {
            const QString reason = failed.first().at(0).toString();
            QVERIFY2(reason.contains(missing), qPrintable(reason));
            QVERIFY2(reason.contains(QLatin1String("3 tries")), qPrintable(reason));
            QCOMPARE(r.readsOf(lostStart == 0 ? 910 : lostStart), C_M852_SetupSave::kRounds);
            QCOMPARE(fileBytes(file), QByteArray("old contents"));
        }
        // Blocks that came are not asked for again.
        if (lostStart != 0) QCOMPARE(r.readsOf(lostStart == 910 ? 23 : 910), 1);
    }

    // A second save while one runs is refused and leaves the first one to finish.
    void secondSaveIsRefused() {
        SaveRig r;
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        r.setup.SaveSetup(path("first.sdf"));
        r.tick();
        r.tick();
        QVERIFY(r.setup.BlocksReceived() == 1);
        for (auto call : {std::function<void()>([&] { r.setup.SaveSetup(path("second.sdf")); }),
                          std::function<void()>([&] { r.setup.ReadSetup(); }),
                          std::function<void()>([&] { r.setup.RetrieveSetup(path("first.sdf")); })}) {
            try {
                call();
                QFAIL("refused call was accepted");
            } catch (const ComponentError& e) {
                QCOMPARE(e.number(), kSetupSaveBusy);
            }
        }
        QCOMPARE(r.rig.manager().queueSize(), qint16(10));
        r.runSave();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(fileBytes(path("first.sdf")).size(), 614);
        QVERIFY(!QFile::exists(path("second.sdf")));
    }

    // A file that cannot be written is reported (not dropped silently) and leaves nothing behind.
    void unwritableFileIsReported() {
        SaveRig r;
        const QString file = path("no/such/folder/x.sdf");
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        QSignalSpy failed(&r.setup, &C_M852_SetupSave::SaveFailed);
        r.setup.SaveSetup(file);
        r.runSave();
        QCOMPARE(saved.size(), 0);
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.first().at(0).toString().contains(file));
        QVERIFY(!QFile::exists(file));
    }

    // ReadSetup fills the record from the controller without a file.
    void liveReadFillsRecord() {
        SaveRig r;
        QSignalSpy read(&r.setup, &C_M852_SetupSave::SetupRead);
        QSignalSpy saved(&r.setup, &C_M852_SetupSave::DataSaved);
        r.setup.ReadSetup();
        r.runSave();
        QCOMPARE(read.size(), 1);
        QCOMPARE(saved.size(), 0);
        QVERIFY(r.setup.Record() == imageRecord(r.rig.image));
    }

    // The file layout and the comparison behind compare-setup.
    void recordLayoutAndCompare() {
        // The table covers words 0..306 once each, in order.
        int next = 0;
        for (const auto& b : SetupRecord::kBlocks) {
            QCOMPARE(b.firstWord, next);
            next += b.count;
        }
        QCOMPARE(next, 307);
        QCOMPARE(SetupRecord::registerOfWord(0), 910);
        QCOMPARE(SetupRecord::registerOfWord(84), 23);
        QCOMPARE(SetupRecord::registerOfWord(306), 1254);

        SetupRecord::Words a{};
        for (int k = 0; k < 307; ++k) a[size_t(k)] = static_cast<qint16>(k - 150);
        QVERIFY(*SetupRecord::fromBytes(SetupRecord::toBytes(a)) == a);
        QVERIFY(SetupRecord::compare(a, a).isEmpty());
        SetupRecord::Words b = a;
        b[size_t(SetupRecord::kBlocks[5].firstWord + 1)] = -32768;  // register 741
        b[0] = 7;                                                   // register 910
        const auto d = SetupRecord::compare(a, b);
        QCOMPARE(d.size(), 2);
        QCOMPARE(d.at(0).reg, 741);  // by register number
        QCOMPARE(d.at(0).a, qint16(a[161]));
        QCOMPARE(d.at(0).b, qint16(-32768));
        QCOMPARE(d.at(1).reg, 910);
        QVERIFY(!SetupRecord::fromBytes(QByteArray(613, 0)));
    }

    // The window named for a register: the lowest type code whose polled reads cover it.
    void windowOfRegister_data() {
        QTest::addColumn<int>("reg");
        QTest::addColumn<QString>("window");
        QTest::newRow("910 calendar") << 910 << QStringLiteral("Exerciser Calendar");
        QTest::newRow("993 calendar end") << 993 << QStringLiteral("Exerciser Calendar");
        QTest::newRow("24 source info before voltage") << 24 << QStringLiteral("Source Info");
        QTest::newRow("23 source info") << 23 << QStringLiteral("Source Info");
        QTest::newRow("31 manual before summary") << 31 << QStringLiteral("Manual Operations");
        QTest::newRow("30 summary") << 30 << QStringLiteral("System Summary");
        QTest::newRow("740 time delays before summary") << 740 << QStringLiteral("Time Delays");
        QTest::newRow("741 summary") << 741 << QStringLiteral("System Summary");
        QTest::newRow("45 voltage") << 45 << QStringLiteral("Setpoints - Voltage");
        QTest::newRow("64 frequency") << 64 << QStringLiteral("Setpoints - Frequency");
        QTest::newRow("99 programmable io") << 99 << QStringLiteral("Programmable Input/Output");
        QTest::newRow("785 load control") << 785 << QStringLiteral("Load Control Time Delays");
        QTest::newRow("844 common alarms") << 844 << QStringLiteral("Common Alarms");
        QTest::newRow("901 exerciser") << 901 << QStringLiteral("Exerciser");
        QTest::newRow("1003 network port") << 1003 << QStringLiteral("Network Interface Port");
        QTest::newRow("1164 system information") << 1164 << QStringLiteral("System Information");
        QTest::newRow("1254 date time") << 1254 << QStringLiteral("Date / Time");
        QTest::newRow("no window") << 8000 << QStringLiteral("-");
    }
    void windowOfRegister() {
        QFETCH(int, reg);
        QFETCH(QString, window);
        QCOMPARE(SetupRecord::windowNameOfRegister(reg), window);
    }

    // --- The main window's commands, against the built-in simulated controller -------------------

    // Save Setup: progress in the status bar, then "Setup information saved successfully."; a second
    // save while one runs is refused with "Unable to save setup."; a cancelled dialog starts nothing.
    void mainWindowSaveSetup() {
        Session s;
        mdiMain& w = *s.main;
        // 100 ms leave the longest reply (84 registers, 173 bytes at 57600 baud: 30 ms) time to come.
        w.setReadScanRate(100);
        QVERIFY(w.ConnectLink());
        s.openFileMenu();
        QProgressBar* bar = w.setupProgress();
        QVERIFY(bar);

        s.ui.queueFile(std::nullopt);
        w.findChild<QAction*>(QStringLiteral("mnuFileSaveSetup"))->trigger();
        QVERIFY(!w.SetupSave()->IsSaving());
        QVERIFY(s.ui.callsOf(ScriptedUiServices::Kind::Message).isEmpty());

        const QString file = path("gui.sdf");
        QFile::remove(file);
        s.ui.queueFile(file);
        w.findChild<QAction*>(QStringLiteral("mnuFileSaveSetup"))->trigger();
        QVERIFY(w.SetupSave()->IsSaving());
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->maximum(), 12);
        const auto fileRequest = s.ui.callsOf(ScriptedUiServices::Kind::FileDialog).last().fileRequest;
        QCOMPARE(fileRequest.title, QStringLiteral("Controller Settings"));
        QCOMPARE(fileRequest.defaultSuffix, QStringLiteral("sdf"));
        QCOMPARE(fileRequest.filters.first(), QStringLiteral("Setup Data Files (*.sdf)"));

        // A second save now: refused at once, without a file dialog.
        s.ui.queueMessage(ui::Answer::Ok, QStringLiteral("Unable to save setup."));
        w.findChild<QAction*>(QStringLiteral("mnuFileSaveSetup"))->trigger();
        QCOMPARE(s.ui.callsOf(ScriptedUiServices::Kind::FileDialog).size(), 2);

        s.ui.queueMessage(ui::Answer::Ok, QStringLiteral("Setup information saved successfully."));
        QTRY_COMPARE_WITH_TIMEOUT(s.ui.callsOf(ScriptedUiServices::Kind::Message).size(), 2, 20000);
        const auto done = s.ui.callsOf(ScriptedUiServices::Kind::Message).last();
        QCOMPARE(done.text, QStringLiteral("Setup information saved successfully."));
        QCOMPARE(done.icon, ui::Icon::Information);
        QCOMPARE(done.title, QStringLiteral("Field Console"));
        QVERIFY(bar->isHidden());
        QCOMPARE(fileBytes(file).size(), 614);
        QVERIFY(s.ui.allConsumed());
    }

    // Restore Setup of a short file: "Unable to restore setup." and nothing written; Disconnect
    // during a save ends it with "Unable to save setup." instead of leaving it waiting.
    void mainWindowRestoreAndDisconnect() {
        Session s;
        mdiMain& w = *s.main;
        QVERIFY(w.ConnectLink());
        s.openFileMenu();
        const QString file = path("short.sdf");
        writeFile(file, QByteArray(100, '\x01'));
        const qint16 queued = s.app.MsgManager()->queueSize();
        s.ui.queueFile(file);
        s.ui.queueMessage(ui::Answer::Ok, QStringLiteral("Unable to restore setup."));
        w.findChild<QAction*>(QStringLiteral("mnuFileRestoreSetup"))->trigger();
        QCOMPARE(s.app.MsgManager()->queueSize(), queued);
        QCOMPARE(s.ui.callsOf(ScriptedUiServices::Kind::Message).last().icon, ui::Icon::Exclamation);

        s.ui.queueFile(path("never.sdf"));
        w.findChild<QAction*>(QStringLiteral("mnuFileSaveSetup"))->trigger();
        QVERIFY(w.SetupSave()->IsSaving());
        s.ui.queueMessage(ui::Answer::Ok, QStringLiteral("Unable to save setup."));
        QVERIFY(w.DisconnectLink());
        QVERIFY(!w.SetupSave()->IsSaving());
        s.openFileMenu();
        QVERIFY(!w.findChild<QAction*>(QStringLiteral("mnuFileSaveSetup"))->isEnabled());
        QTRY_COMPARE(s.ui.callsOf(ScriptedUiServices::Kind::Message).size(), 2);
        QVERIFY(!QFile::exists(path("never.sdf")));
        QVERIFY(s.ui.allConsumed());
    }

private:
    // The application object with a logged-in user and its main window on the built-in controller.
    struct Home {
        Home() { qputenv("FC_HOME", dir.path().toLocal8Bit()); }
        QTemporaryDir dir;
    };
    struct Session {
        Session() : app(clsApplication::RunOptions{true}) {
            app.LoginAs(QStringLiteral("ADMIN"), 3);
            main = std::make_unique<mdiMain>();
        }
        ~Session() { main.reset(); }
        // The File menu's enabling rules, as when the user opens it.
        void openFileMenu() { emit main->findChild<QMenu*>(QStringLiteral("mnuFile"))->aboutToShow(); }
        Home home;
        ScriptedUiServices ui;
        clsApplication app;
        std::unique_ptr<mdiMain> main;
    };
};

QTEST_MAIN(TestSetupSave)

#include "tst_SetupSave.moc"
