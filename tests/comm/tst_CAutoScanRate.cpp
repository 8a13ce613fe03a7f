// The automatic scan rate's arithmetic: wire times of the exchanges the engine sends, the latency
// estimate's start, bounds, back-off and return, and the interval's limits.

#include <QTest>
#include <cmath>

#include "CommTestUtil.h"
#include "comm/CAutoScanRate.h"
#include "comm/CModbusMaster.h"

namespace {

// Feeds `n` complete replies of `latencyUs`, each given what the estimate allowed at its send.
void onTime(CAutoScanRate& rate, int n, qint64 latencyUs) {
    for (int i = 0; i < n; ++i) rate.replyOnTime(latencyUs, rate.latencyUs());
}

QByteArray requestFrame(qint32 funct, qint32 count) {
    CModbusMaster codec;
    codec.setFunct(funct);
    codec.setSlaveAddr(1);
    codec.setStartAddr(100);
    codec.setNumPoints(count);
    if (funct != 3) codec.setSendData(QVector<qint16>(count, 7));
    codec.CreateQuery();
    return codec.GetMessage();
}

}  // namespace

class TestAutoScanRate : public QObject {
    Q_OBJECT

private slots:
    void wireTimes_data();
    void wireTimes();
    void framesTheEngineNeverSends();
    void startsSafeAndStaysBounded();
    void backsOffAtOnceAndCreepsBack_data();
    void backsOffAtOnceAndCreepsBack();
    void occasionalLossesDoNotClimbToTheBound();
    void intervalStaysWithinWireTimeAndFixedRate_data();
    void intervalStaysWithinWireTimeAndFixedRate();
};

void TestAutoScanRate::wireTimes_data() {
    QTest::addColumn<int>("funct");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("requestBytes");
    QTest::addColumn<int>("replyBytes");
    QTest::addColumn<double>("wireUs");  // (request + reply) x 10 bits / 57600 baud
    QTest::newRow("read 1") << 3 << 1 << 8 << 7 << 2604.17;
    QTest::newRow("read 14") << 3 << 14 << 8 << 33 << 7118.06;
    QTest::newRow("read 100") << 3 << 100 << 8 << 205 << 36979.17;
    QTest::newRow("read 125") << 3 << 125 << 8 << 255 << 45659.72;
    QTest::newRow("write 1 (16)") << 16 << 1 << 11 << 8 << 3298.61;
    QTest::newRow("write 123 (16)") << 16 << 123 << 255 << 8 << 45659.72;
    QTest::newRow("write single (6)") << 6 << 1 << 8 << 8 << 2777.78;
}

void TestAutoScanRate::wireTimes() {
    QFETCH(int, funct);
    QFETCH(int, count);
    QFETCH(int, requestBytes);
    QFETCH(int, replyBytes);
    QFETCH(double, wireUs);

    // The frame the codec builds for the request is the one the scan loop times.
    const QByteArray frame = requestFrame(funct, count);
    QCOMPARE(frame.size(), requestBytes);
    const auto fromFrame = CAutoScanRate::fromRequest(frame);
    QVERIFY(fromFrame);
    QCOMPARE(fromFrame->funct, funct);
    QCOMPARE(fromFrame->numReg, count);
    QCOMPARE(fromFrame->requestBytes, requestBytes);
    QCOMPARE(fromFrame->replyBytes, replyBytes);

    // Never short of the line's time, and no more than a nanosecond per character over it.
    const qint64 ns = CAutoScanRate::wireTimeNs(*fromFrame);
    QVERIFY2(ns >= qint64(std::floor(wireUs * 1000)), qPrintable(QString::number(ns)));
    QVERIFY2(ns <= qint64(std::ceil(wireUs * 1000)) + requestBytes + replyBytes,
             qPrintable(QString::number(ns)));
}

void TestAutoScanRate::framesTheEngineNeverSends() {
    // No guess for these: the scan loop falls back to the fixed rate.
    QVERIFY(!CAutoScanRate::exchange(4, 10));
    QVERIFY(!CAutoScanRate::exchange(3, 0));
    QVERIFY(!CAutoScanRate::fromRequest(QByteArray()));
    QVERIFY(!CAutoScanRate::fromRequest(hex("01 03 00 63")));
    // A function-16 frame whose count does not match its length.
    QByteArray frame = requestFrame(16, 4);
    frame.chop(2);
    QVERIFY(!CAutoScanRate::fromRequest(frame));
}

void TestAutoScanRate::startsSafeAndStaysBounded() {
    CAutoScanRate rate;
    QCOMPARE(rate.latencyUs(), CAutoScanRate::kStartLatencyUs);

    // However often replies are lost, the back-off ends at the bound.
    for (int i = 0; i < 40; ++i) rate.replyMissing(rate.latencyUs());
    QCOMPARE(rate.latencyUs(), CAutoScanRate::kMaxLatencyUs);

    // A sample beyond the bound (a computer asleep for ten seconds) counts as the bound.
    rate.reset();
    QCOMPARE(rate.latencyUs(), CAutoScanRate::kStartLatencyUs);
    rate.replyOnTime(10'000'000, rate.latencyUs());
    QCOMPARE(rate.latencyUs(), CAutoScanRate::kMaxLatencyUs);

    // A controller that answers at once (or a clock step backwards) gives 0, never less.
    rate.reset();
    onTime(rate, 300, -5'000);
    QCOMPARE(rate.latencyUs(), CAutoScanRate::kMinLatencyUs);
}

void TestAutoScanRate::backsOffAtOnceAndCreepsBack_data() {
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<qint64>("atLeastUs");  // the estimate right after it
    // Learned: 10 ms. A reply 40 ms late but still whole: half as much again as it took.
    QTest::newRow("late reply") << QStringLiteral("late") << qint64(60'000);
    // Its first byte came after 12 ms, its end did not make it: twice that.
    QTest::newRow("incomplete reply") << QStringLiteral("incomplete") << qint64(24'000);
    // Nothing came: twice what the exchange was given.
    QTest::newRow("no reply") << QStringLiteral("missing") << qint64(20'000);
}

void TestAutoScanRate::backsOffAtOnceAndCreepsBack() {
    QFETCH(QString, trouble);
    QFETCH(qint64, atLeastUs);
    constexpr qint64 kLearned = 10'000;
    CAutoScanRate rate;
    onTime(rate, 300, kLearned);
    QCOMPARE(rate.latencyUs(), kLearned);

    const qint64 allowed = rate.latencyUs();
    if (trouble == QLatin1String("late"))
        rate.replyOnTime(40'000, allowed);
    else if (trouble == QLatin1String("incomplete"))
        rate.replyIncomplete(12'000, allowed);
    else
        rate.replyMissing(allowed);
    const qint64 raised = rate.latencyUs();
    QVERIFY2(raised >= atLeastUs, qPrintable(QString::number(raised)));

    // The next reply on time takes only a little of it away ...
    onTime(rate, 1, kLearned);
    QVERIFY2(rate.latencyUs() >= raised * 3 / 4, qPrintable(QString::number(rate.latencyUs())));
    // ... and a few dozen bring the estimate back to what the controller shows.
    int replies = 1;
    while (rate.latencyUs() > kLearned && replies < 200) {
        onTime(rate, 1, kLearned);
        ++replies;
    }
    QCOMPARE(rate.latencyUs(), kLearned);
    QVERIFY2(replies >= 5, qPrintable(QString::number(replies)));
}

void TestAutoScanRate::occasionalLossesDoNotClimbToTheBound() {
    // One reply in ten lost on the line (the controller's latency unchanged): the estimate stays a
    // small multiple of the latency, and settles back once the losses stop.
    constexpr qint64 kLearned = 10'000;
    CAutoScanRate rate;
    onTime(rate, 300, kLearned);
    qint64 highest = 0;
    for (int round = 0; round < 100; ++round) {
        rate.replyMissing(rate.latencyUs());
        highest = std::max(highest, rate.latencyUs());
        onTime(rate, 9, kLearned);
    }
    QVERIFY2(highest <= 4 * kLearned, qPrintable(QString::number(highest)));
    onTime(rate, 100, kLearned);
    QCOMPARE(rate.latencyUs(), kLearned);
}

void TestAutoScanRate::intervalStaysWithinWireTimeAndFixedRate_data() {
    QTest::addColumn<int>("funct");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("fixedMs");
    QTest::addColumn<QString>("state");
    const QList<QPair<int, int>> exchanges = {{3, 1}, {3, 125}, {16, 123}, {6, 1}};
    const QList<int> fixedRates = {1, 20, 500, 32767};
    const QStringList states = {QStringLiteral("fresh"), QStringLiteral("fast"), QStringLiteral("bound")};
    for (const auto& [funct, count] : exchanges)
        for (int fixedMs : fixedRates)
            for (const QString& state : states)
                QTest::addRow("%d x%d fixed %d %s", funct, count, fixedMs, qPrintable(state))
                    << funct << count << fixedMs << state;
}

void TestAutoScanRate::intervalStaysWithinWireTimeAndFixedRate() {
    QFETCH(int, funct);
    QFETCH(int, count);
    QFETCH(int, fixedMs);
    QFETCH(QString, state);
    CAutoScanRate rate;
    if (state == QLatin1String("fast")) onTime(rate, 300, 0);
    if (state == QLatin1String("bound"))
        for (int i = 0; i < 40; ++i) rate.replyMissing(rate.latencyUs());
    const auto e = CAutoScanRate::exchange(funct, count);
    QVERIFY(e);

    const int interval = rate.intervalMs(*e, fixedMs);
    const qint64 wireNs = CAutoScanRate::wireTimeNs(*e);
    const int wireMs = int((wireNs + 999'999) / 1'000'000);
    // Never shorter than the line needs for the request and the reply ...
    QVERIFY2(qint64(interval) * 1'000'000 >= wireNs, qPrintable(QString::number(interval)));
    // ... never longer than the fixed rate, unless that is shorter than the line time itself.
    QVERIFY2(interval <= std::max(fixedMs, wireMs), qPrintable(QString::number(interval)));
    // Where the fixed rate leaves room, the wait is exactly wire time + latency + margin.
    const qint64 wanted =
        (wireNs + (rate.latencyUs() + CAutoScanRate::kMarginUs) * 1000 + 999'999) / 1'000'000;
    if (wanted <= fixedMs) QCOMPARE(qint64(interval), wanted);
}

int runAutoScanRateTests(int argc, char** argv) {
    TestAutoScanRate test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CAutoScanRate.moc"
