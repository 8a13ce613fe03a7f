// The link monitor end to end on the message manager: each exchange's outcome against the simulated
// controller's faults (the fault injector m852-sim uses), the block counts and link hints built from
// them, the proof that observing leaves the traffic alone, stale windows, and the monitor window.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "FakeScanHost.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "app/ConnectionStatus.h"
#include "comm/CMsgManager.h"
#include "comm/LinkWatch.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "monitor/BlockTableModel.h"
#include "monitor/ExchangeTableModel.h"
#include "monitor/ExchangeText.h"
#include "monitor/frmLinkMonitor.h"
#include "sim/FaultInjector.h"
#include "sim/M852Image.h"
#include "sim/SlaveEngine.h"

Q_DECLARE_METATYPE(sim::FaultConfig)

namespace {

using O = ExchangeOutcome;

// How the controller's reply reaches the port.
enum class Delivery {
    InTime,  // before the next tick
    Late,    // one scan interval late: it lands in the next request's interval
    Flood,   // a burst longer than any reply instead of the reply
};

// Keeps every exchange, with its reply bytes copied (the report only lends them).
struct Recorder : IExchangeObserver {
    QList<LinkExchange> all;
    QList<QByteArray> replies;
    void exchangeClosed(const LinkExchange& x) override {
        all.append(x);
        all.last().reply = {};
        replies.append(x.reply.toByteArray());
    }
};

struct Thrower : IExchangeObserver {
    void exchangeClosed(const LinkExchange&) override { throw std::runtime_error("observer fault"); }
    void linkClosed() override { throw std::runtime_error("observer fault"); }
};

// The manager on a fake port, the simulated controller answering every frame through the fault
// injector, ticked by hand.
struct Line {
    FakeScanHost host;
    CMsgManager manager;
    sim::M852Image image;
    sim::SlaveEngine slave{image, 1};
    sim::FaultInjector faults;
    Delivery delivery = Delivery::InTime;
    QByteArray late;                      // the reply held back one interval
    QList<QPair<qint32, int>> delivered;  // MessageReady: WinID, start register of the reply

    explicit Line(const sim::FaultConfig& config, Delivery how = Delivery::InTime)
        : faults(config), delivery(how) {
        manager.setScanHost(&host);
        host.open = true;
        QObject::connect(&manager, &CMsgManager::MessageReady, [this](qint32 winId) {
            delivered.append({winId, manager.GetWaitingData().StartingReg()});
        });
    }
    void poll(qint32 winId, int start, int count) {
        auto p = std::make_shared<CMsgPacketNode>();
        p->setWinID(static_cast<qint16>(winId));
        p->setDeviceAddr(1);
        p->setMsgType(3);
        p->setStartingReg(static_cast<qint16>(start));
        p->setNumReg(static_cast<qint16>(count));
        p->setPersistent(true);
        manager.AddMsgPacket(p);
    }
    void tick() {
        const qsizetype before = host.sent.size();
        runTick(manager);
        if (delivery == Delivery::Late) {
            host.inject(late);
            late.clear();
        }
        if (host.sent.size() == before) return;
        const QByteArray reply = faults.apply(slave.handleFrame(host.sent.last())).bytes;
        switch (delivery) {
            case Delivery::InTime:
                host.inject(reply);
                break;
            case Delivery::Late:
                late = reply;
                break;
            case Delivery::Flood:
                host.inject(QByteArray(CMsgManager::kReceiveBufferSize + 40, '\x55'));
                break;
        }
    }
};

sim::FaultConfig faultsOf(double drop, double crc, double truncate, double stray) {
    sim::FaultConfig f;
    f.dropProbability = drop;
    f.crcCorruptProbability = crc;
    f.truncateProbability = truncate;
    f.strayProbability = stray;
    f.seed = 7;
    return f;
}

LinkExchange syntheticExchange(int n) {
    LinkExchange x;
    x.request = QByteArray::fromHex("010300010002");
    static const QByteArray reply = QByteArray::fromHex("0103040001");
    x.reply = reply;
    x.sentAtMs = 1'700'000'000'000LL + n;
    x.sentNs = 1'000'000'000LL * n;
    x.collectedNs = x.sentNs + 500'000'000LL;
    x.outcome = n % 3 == 0 ? O::Valid : O::Incomplete;
    x.persistent = true;
    x.winId = 3;
    x.function = 3;
    x.startingReg = n % 30000 + 1;
    x.count = 2;
    return x;
}

}  // namespace

class tst_linkmon : public QObject {
    Q_OBJECT
private slots:
    // What each fault of the simulated controller looks like in the exchange reports, in the block
    // table and in the status bar hint; and that the reports agree with what the engine did.
    void faults_data() {
        QTest::addColumn<sim::FaultConfig>("faults");
        QTest::addColumn<int>("delivery");
        QTest::addColumn<QList<int>>("blocks");    // start, count pairs, all polled
        QTest::addColumn<QList<int>>("outcomes");  // every outcome seen, each at least once
        QTest::addColumn<int>("cause");            // LinkWatch::Cause of the hint
        const QList<int> two{2, 14, 40, 5};
        const auto in = int(Delivery::InTime);
        auto os = [](std::initializer_list<O> l) {
            QList<int> out;
            for (O o : l) out.append(int(o));
            return out;
        };
        using C = LinkWatch::Cause;
        QTest::newRow("clean") << faultsOf(0, 0, 0, 0) << in << two << os({O::Valid}) << int(C::None);
        QTest::newRow("drop") << faultsOf(1, 0, 0, 0) << in << two << os({O::NoReply}) << int(C::NoReplies);
        QTest::newRow("bad CRC") << faultsOf(0, 1, 0, 0) << in << two << os({O::CrcError}) << int(C::Crc);
        QTest::newRow("truncated") << faultsOf(0, 0, 1, 0) << in << two << os({O::Incomplete})
                                   << int(C::Late);
        // Stray bytes after a reply leave it intact; before it they spoil its framing.
        QTest::newRow("stray") << faultsOf(0, 0, 0, 1) << in << two << os({O::Valid, O::CrcError})
                               << int(C::Crc);
        // Each reply is collected in the next request's interval. A block of 14 registers answers the
        // request for 5 as far as the engine can tell (taken by timing, its first registers); the
        // short reply cannot answer the request for 14 and is rejected.
        QTest::newRow("latency above the scan rate")
            << faultsOf(0, 0, 0, 0) << int(Delivery::Late) << two << os({O::NoReply, O::Valid, O::Rejected})
            << int(C::Late);
        QTest::newRow("exception") << faultsOf(0, 0, 0, 0) << in << QList<int>{30000, 2} << os({O::Exception})
                                   << int(C::None);
        QTest::newRow("flood") << faultsOf(0, 0, 0, 0) << int(Delivery::Flood) << two << os({O::CrcError})
                               << int(C::Crc);
    }
    void faults() {
        QFETCH(sim::FaultConfig, faults);
        QFETCH(int, delivery);
        QFETCH(QList<int>, blocks);
        QFETCH(QList<int>, outcomes);
        QFETCH(int, cause);

        Line line(faults, Delivery(delivery));
        Recorder rec;
        BlockTableModel table;
        LinkWatch watch;
        line.manager.addExchangeObserver(&rec);
        line.manager.addExchangeObserver(&table);
        watch.attach(&line.manager);
        for (int i = 0; i + 1 < blocks.size(); i += 2) line.poll(3, blocks[i], blocks[i + 1]);
        for (int t = 0; t < 60; ++t) line.tick();

        // One report per request, the last still waiting for its reply; in order, with the frame sent.
        QCOMPARE(rec.all.size(), line.host.sent.size() - 1);
        QSet<int> seen;
        int valid = 0;
        for (int i = 0; i < rec.all.size(); ++i) {
            const LinkExchange& x = rec.all[i];
            QCOMPARE(x.request, line.host.sent[i]);
            QCOMPARE(x.startingReg, blocks[(2 * i) % blocks.size()]);
            QCOMPARE(x.count, blocks[(2 * i + 1) % blocks.size()]);
            QVERIFY2(outcomes.contains(int(x.outcome)), qPrintable(outcomeText(x.outcome, x.exceptionCode)));
            QCOMPARE(rec.replies[i].isEmpty(), x.outcome == O::NoReply);
            if (x.outcome == O::Exception) QCOMPARE(int(x.exceptionCode), 2);
            seen.insert(int(x.outcome));
            if (x.outcome == O::Valid) ++valid;
        }
        for (int o : outcomes) QVERIFY2(seen.contains(o), qPrintable(outcomeText(O(o))));
        // "valid" means exactly: the engine raised MessageReady.
        QCOMPARE(valid, line.delivered.size());

        // Per block: sent = valid + every loss, and the blocks together hold every exchange.
        QCOMPARE(table.rowCount(), blocks.size() / 2);
        qint64 sentTotal = 0;
        for (int r = 0; r < table.rowCount(); ++r) {
            auto cell = [&](int c) { return table.index(r, c).data().toLongLong(); };
            qint64 sum = 0;
            for (int c = BlockTableModel::Valid; c <= BlockTableModel::Rejected; ++c) sum += cell(c);
            QCOMPARE(cell(BlockTableModel::Sent), sum);
            sentTotal += cell(BlockTableModel::Sent);
        }
        QCOMPARE(sentTotal, qint64(rec.all.size()));

        // The last 50 exchanges, and the hint for this cause only.
        QCOMPARE(watch.exchangeCount(), LinkWatch::kWindow);
        QCOMPARE(int(watch.dominantCause()), cause);
        QCOMPARE(LinkWatch::hintText(watch.dominantCause()).isEmpty(), cause == int(LinkWatch::Cause::None));
    }

    // Observing changes nothing on the line or in what is delivered, even when an observer throws,
    // and the monitor's observers can come and go in the middle of a run.
    void observingLeavesTrafficAlone() {
        const sim::FaultConfig mixed = faultsOf(0.2, 0.1, 0.1, 0.1);
        Line plain(mixed);
        Line watched(mixed);
        Thrower thrower;
        Recorder rec;
        watched.manager.addExchangeObserver(&thrower);
        for (Line* l : {&plain, &watched}) {
            l->poll(3, 2, 14);
            l->poll(3, 40, 5);
            l->poll(10, 100, 20);
        }
        for (int t = 0; t < 200; ++t) {
            if (t == 50) watched.manager.addExchangeObserver(&rec);
            if (t == 150) watched.manager.removeExchangeObserver(&rec);
            plain.tick();
            watched.tick();
        }
        QVERIFY(plain.manager.Disconnect());
        QVERIFY(watched.manager.Disconnect());
        QCOMPARE(watched.host.sent, plain.host.sent);
        QCOMPARE(watched.host.intervals, plain.host.intervals);
        QCOMPARE(watched.host.flushes, plain.host.flushes);
        QCOMPARE(watched.delivered, plain.delivered);
        QCOMPARE(rec.all.size(), 100);
    }

    // A window goes stale after three of its polling rounds without a reply and on Disconnect, and
    // the next valid reply makes it live again: caption and text colour.
    void staleWindows() {
        GroupTestRig rig(3);
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        auto* w = rig.windows().DisplayWindows().value(0);
        QVERIFY(w);
        const QString caption = w->windowTitle();
        const QColor live = w->palette().color(QPalette::WindowText);
        const int blocks = static_cast<int>(w->Data().ReadBlocks().size());
        QVERIFY(blocks >= 1);
        rig.cycle();
        QVERIFY(!w->IsStale());

        // The controller stops answering (the reply on its way is lost too): every poll of this
        // window's blocks goes unanswered.
        rig.host.pending.clear();
        auto silentTick = [&] { runTick(rig.manager()); };
        for (int i = 0; i < 3 * blocks - 1; ++i) silentTick();
        QVERIFY(!w->IsStale());
        silentTick();
        QVERIFY(w->IsStale());
        QCOMPARE(w->windowTitle(), caption + QStringLiteral(" - no data"));
        QCOMPARE(clsWndManager::SubWindowOf(w)->windowTitle(), caption + QStringLiteral(" - no data"));
        QVERIFY(w->palette().color(QPalette::WindowText) != live);

        // It answers again: the first valid reply restores the window.
        rig.tick();
        rig.tick();
        QVERIFY(!w->IsStale());
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->palette().color(QPalette::WindowText), live);

        // Disconnect: stale at once, and still stale after a reconnect until a reply comes.
        QVERIFY(rig.manager().Disconnect());
        QVERIFY(w->IsStale());
        QVERIFY(rig.manager().Connect());
        QVERIFY(w->IsStale());
        rig.tick();
        rig.tick();
        QVERIFY(!w->IsStale());
        QCOMPARE(w->windowTitle(), caption);
    }

    // The status bar: the share beside the connection state and the hint, while connected only.
    void statusBar() {
        QMainWindow window;
        LinkWatch watch;
        ConnectionStatus status(window);
        status.watchLink(&watch);
        status.showConnected(1);
        QVERIFY(status.qualityText()->isHidden());  // nothing exchanged yet
        for (int n = 0; n < 60; ++n) {
            LinkExchange x = syntheticExchange(n);
            x.outcome = n % 4 == 0 ? O::Valid : O::NoReply;
            watch.exchangeClosed(x);
        }
        QCOMPARE(status.qualityText()->text(), QStringLiteral("Link 24 % valid"));  // 12 of the last 50
        QCOMPARE(status.hintText()->text(),
                 QStringLiteral("No replies: check the port, the wiring and the controller's address"));
        QVERIFY(!status.qualityText()->isHidden());
        QVERIFY(!status.hintText()->isHidden());
        status.showDisconnected();
        QVERIFY(status.qualityText()->isHidden());
        QVERIFY(status.hintText()->isHidden());
    }

    // The live table keeps the last 10,000 exchanges; pause records none, clear empties it.
    void tableStaysBounded() {
        ExchangeTableModel model;
        const int total = ExchangeTableModel::kCapacity + 5;
        // Flushed now and then along the way and once at the end, as the event loop would.
        for (int n = 0; n < total; ++n) {
            model.exchangeClosed(syntheticExchange(n));
            if (n % 997 == 0) model.flush();
        }
        model.flush();
        QCOMPARE(model.rowCount(), ExchangeTableModel::kCapacity);
        QCOMPARE(model.index(0, ExchangeTableModel::Start).data().toInt(), 5 + 1);
        QCOMPARE(model.index(model.rowCount() - 1, ExchangeTableModel::Start).data().toInt(), total - 1 + 1);

        model.setPaused(true);
        model.exchangeClosed(syntheticExchange(total));
        model.flush();
        QCOMPARE(model.rowCount(), ExchangeTableModel::kCapacity);
        QCOMPARE(model.skipped(), 1);
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // The window: rows from the engine, the outcome filter, and Save As CSV (header and a line).
    void monitorWindowAndCsv() {
        Line line(faultsOf(0.5, 0, 0, 0));
        line.poll(3, 2, 14);
        ScriptedUiServices ui;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("link.csv"));
        {
            frmLinkMonitor monitor(&line.manager);
            for (int t = 0; t < 21; ++t) line.tick();
            // The rows come in one go from the event loop.
            QCOMPARE(monitor.exchanges().rowCount(), 0);
            QTRY_COMPARE(monitor.exchanges().rowCount(), 20);
            QCOMPARE(monitor.blocks().rowCount(), 1);

            auto* outcome = monitor.findChild<QComboBox*>(QStringLiteral("cboOutcome"));
            QVERIFY(outcome);
            outcome->setCurrentIndex(1);  // all losses
            const int lost = 20 - int(line.delivered.size());
            QVERIFY(lost > 0 && lost < 20);
            QCOMPARE(monitor.shown().rowCount(), lost);
            outcome->setCurrentIndex(0);

            ui.queueFile(path);
            QVERIFY(monitor.SaveAsCsv());
        }
        // Closed, the monitor no longer observes: the engine runs on without it.
        line.tick();

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 20 + 2);  // header, 20 rows, and the empty rest after the last line end
        QCOMPARE(
            lines[0],
            QByteArray("Time,Window,Function,Start,Count,Outcome,Reply ms,Interval ms,Latency ms,Request "
                       "(hex),Reply (hex)\r"));
        const QList<QByteArray> first = lines[1].chopped(1).split(',');
        QCOMPARE(first.size(), 11);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                     .match(QString::fromLatin1(first[0]))
                     .hasMatch(),
                 first[0].constData());
        QCOMPARE(first[1], QByteArray("Source Info"));
        QCOMPARE(first[2], QByteArray("3"));
        QCOMPARE(first[3], QByteArray("2"));
        QCOMPARE(first[4], QByteArray("14"));
        QVERIFY(first[5] == "valid" || first[5] == "no reply");
        // A fake host tells no interval or latency: those fields stay empty.
        QVERIFY(first[7].isEmpty() && first[8].isEmpty());
        QCOMPARE(first[9], ExchangeText::hex(line.host.sent[0]).toLatin1());
        QCOMPARE(first[10].isEmpty(), first[5] == "no reply");
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tst_linkmon t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_linkmon.moc"
