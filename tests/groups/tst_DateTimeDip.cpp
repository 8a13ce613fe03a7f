// Clock (Date / Time) and DIP switch groups: decoding, display, the clock dialog's writes.
#include <QCheckBox>
#include <QDateEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/Clock.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/datetime/C_M852_DateTime.h"
#include "groups/datetime/PackedDate.h"

using namespace grouptest;

namespace {

CDisplayWindow* openWindow(GroupTestRig& rig, int type) {
    if (!rig.windows().CreateWnd(type, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

// Runs the clock dialog with `script` and returns the write frames that reached the controller.
QList<QByteArray> runDialog(GroupTestRig& rig, CDisplayWindow* w, ScriptedUiServices::DialogScript script) {
    ScriptedUiServices ui;
    ui.queueDialog(QStringLiteral("SU_M852_DateTime"), std::move(script));
    const qsizetype before = rig.host.sent.size();
    w->RunSetup();
    rig.cycle();
    if (!ui.allConsumed()) return {QByteArray("dialog not shown")};
    return writesOf(rig.host.sent.mid(before));
}

}  // namespace

class tst_DateTimeDip : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { Clock::setNowFunction({}); }

    void packedDate_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("roundTrip");
        QTest::newRow("0x8021: year field 64") << 0x8021 << QDate(2064, 1, 1) << true;
        QTest::newRow("first") << 0x0021 << QDate(2000, 1, 1) << true;
        QTest::newRow("last: 31 Dec 2127") << 0xFF9F << QDate(2127, 12, 31) << true;
        QTest::newRow("month 0 is December before")
            << ((24 << 9) | (0 << 5) | 5) << QDate(2023, 12, 5) << false;
        QTest::newRow("day 0 is the last of the month before")
            << ((24 << 9) | (3 << 5) | 0) << QDate(2024, 2, 29) << false;
        QTest::newRow("31 February runs into March")
            << ((24 << 9) | (2 << 5) | 31) << QDate(2024, 3, 2) << false;
        QTest::newRow("month 13 is January after")
            << ((24 << 9) | (13 << 5) | 1) << QDate(2025, 1, 1) << false;
        QTest::newRow("all zero: 30 Nov 1999") << 0x0000 << QDate(1999, 11, 30) << false;
    }
    void packedDate() {
        QFETCH(int, word);
        QFETCH(QDate, date);
        QFETCH(bool, roundTrip);
        QCOMPARE(PackedDate::Decode(qint16(word)), date);
        if (roundTrip) QCOMPARE(quint16(PackedDate::Encode(date)), quint16(word));
    }

    void encodeRefusesDatesTheRegisterCannotHold() {
        QVERIFY_THROWS_EXCEPTION(OverflowError, (void)PackedDate::Encode(QDate(1999, 12, 31)));
        QVERIFY_THROWS_EXCEPTION(OverflowError, (void)PackedDate::Encode(QDate(2128, 1, 1)));
        QVERIFY_THROWS_EXCEPTION(OverflowError, (void)PackedDate::Encode(PackedDate::kZeroDate));
        // ... and the data object then queues nothing.
        GroupTestRig rig;
        C_M852_DateTime data;
        const qint16 queued = rig.manager().queueSize();
        QVERIFY_THROWS_EXCEPTION(OverflowError, data.SendSetup());  // the zero dates before any reply
        QCOMPARE(rig.manager().queueSize(), queued);
    }

    void clockDisplay_data() {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << 0 << "12:00 AM";
        QTest::newRow("1439") << 1439 << "11:59 PM";
        QTest::newRow("1440 wraps") << 1440 << "12:00 AM";
        QTest::newRow("noon") << 720 << "12:00 PM";
        QTest::newRow("9:05") << 545 << "9:05 AM";
    }
    void clockDisplay() {
        QFETCH(int, minutes);
        QFETCH(QString, shown);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 0);
        QVERIFY(w);
        QCOMPARE(labelText(w, "lblTime"), QStringLiteral("---"));
        QCOMPARE(labelText(w, "lblDate"), QStringLiteral("---"));
        rig.image.set(1250, quint16(minutes));
        rig.image.set(1251, 0x8021);
        rig.cycle();
        QCOMPARE(labelText(w, "lblTime"), shown);
        QCOMPARE(labelText(w, "lblDate"), QStringLiteral("Tuesday, January 1, 2064"));
    }

    // A no-edit OK writes the five registers as held, except a daylight-saving flag other than 1,
    // which reads as off and is written as 0.
    void noEditOkWritesWhatIsHeld_data() {
        QTest::addColumn<int>("dstFlag");
        QTest::addColumn<int>("written");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("flag 2 reads as off, writes 0") << 2 << 0 << false;
        QTest::newRow("flag 1") << 1 << 1 << true;
        QTest::newRow("flag 0") << 0 << 0 << false;
    }
    void noEditOkWritesWhatIsHeld() {
        QFETCH(int, dstFlag);
        QFETCH(int, written);
        QFETCH(bool, ticked);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 0);
        const QList<quint16> held{615, 0x8021, quint16(dstFlag), (24 << 9) | (3 << 5) | 10,
                                  (24 << 9) | (11 << 5) | 3};
        for (int i = 0; i < 5; ++i) rig.image.set(1250 + i, held[i]);
        rig.cycle();
        bool tickedShown = !ticked;
        bool pickersEnabled = !ticked;
        QString dateText;
        const QList<QByteArray> writes = runDialog(rig, w, [&](QDialog& d) {
            tickedShown = d.findChild<QCheckBox*>("chkEnableDST")->isChecked();
            pickersEnabled = d.findChild<QDateEdit*>("dtpDST_ForwardDate")->isEnabled();
            dateText = d.findChild<QDateEdit*>("dtpDate")->text();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        QCOMPARE(tickedShown, ticked);
        QCOMPARE(pickersEnabled, ticked);
        QCOMPARE(dateText, QStringLiteral("01 January 2064"));  // the four-digit year
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameFunction(writes[0]), 16);
        QCOMPARE(frameStart(writes[0]), 1250);
        QList<quint16> expected = held;
        expected[2] = quint16(written);
        QCOMPARE(frameValues(writes[0]), expected);
    }

    // Synchronize takes the computer's clock into the pickers; the seconds are dropped on writing;
    // Cancel afterwards writes nothing.
    void synchronize_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("then OK") << true;
        QTest::newRow("then Cancel") << false;
    }
    void synchronize() {
        QFETCH(bool, ok);
        Clock::setNowFunction([] { return QDateTime(QDate(2031, 5, 6), QTime(10, 15, 42)); });
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 0);
        rig.cycle();
        const QList<quint16> before = {rig.image.valueOr(1252), rig.image.valueOr(1253),
                                       rig.image.valueOr(1254)};
        const QList<QByteArray> writes = runDialog(rig, w, [ok](QDialog& d) {
            ScriptedUiServices::click(d, "cmdSysClock");
            return ScriptedUiServices::click(d, ok ? "cmdOK" : "cmdCancel");
        });
        if (!ok) {
            QVERIFY(writes.isEmpty());
            return;
        }
        QCOMPARE(writes.size(), 1);
        const QList<quint16> v = frameValues(writes[0]);
        QCOMPARE(v.size(), 5);
        QCOMPARE(v[0], quint16(615));  // 10:15:42 -> 10 × 60 + 15
        QCOMPARE(v[1], quint16((31 << 9) | (5 << 5) | 6));
        QCOMPARE(v.mid(2), before);  // daylight saving as held
    }

    void dialogControls() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 0);
        rig.image.set(1252, 0);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_DateTime"), [](QDialog& d) {
            auto* date = d.findChild<QDateEdit*>("dtpDate");
            // Only what the register can hold.
            if (date->minimumDate() != QDate(2000, 1, 1) || date->maximumDate() != QDate(2127, 12, 31))
                return int(QDialog::Rejected);
            date->setDate(QDate(1999, 6, 1));
            if (date->date() < QDate(2000, 1, 1)) return int(QDialog::Rejected);
            auto* chk = d.findChild<QCheckBox*>("chkEnableDST");
            auto* back = d.findChild<QDateEdit*>("dtpDST_BackwardDate");
            if (back->isEnabled()) return int(QDialog::Rejected);
            chk->click();
            if (!back->isEnabled() || !d.findChild<QLabel*>("lblDST_BackwardDateTitle")->isEnabled())
                return int(QDialog::Rejected);
            chk->click();
            if (back->isEnabled()) return int(QDialog::Rejected);
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(ui.unexpectedCalls(), 0);
    }

    void dipSwitches_data() {
        QTest::addColumn<int>("reg");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QColor>("transferColour");
        const QStringList set{"TRANSFER INHIBITED", "LOADED TEST", "EXERCISE INHIBITED", "LOADED EXERCISE",
                              "2 WEEK MANUAL EXERCISE"};
        const QStringList clear{"TRANSFER PERMITTED", "UNLOADED TEST", "EXERCISE PERMITTED",
                                "UNLOADED EXERCISE", "1 WEEK MANUAL EXERCISE"};
        QTest::newRow("0x001F") << 0x001F << set << QColor(255, 0, 0);
        QTest::newRow("0x0000") << 0x0000 << clear << QColor(0, 0, 0);
        QTest::newRow("high bits only") << 0xFFE0 << clear << QColor(0, 0, 0);
        QTest::newRow("0x000A") << 0x000A << QStringList{clear[0], set[1], clear[2], set[3], clear[4]}
                                << QColor(0, 0, 0);
    }
    void dipSwitches() {
        QFETCH(int, reg);
        QFETCH(QStringList, texts);
        QFETCH(QColor, transferColour);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 2);
        QVERIFY(w);
        QVERIFY(!w->SetupAvailable());
        const QStringList names{"lblTransferInhibit", "lblTestLoad", "lblExerciseInhibit", "lblExerciseLoad",
                                "lblManExercisePeriod"};
        for (const QString& n : names) QCOMPARE(labelText(w, n), QStringLiteral("---"));
        auto* transfer = w->findChild<QLabel*>("lblTransferInhibit");
        QCOMPARE(transfer->palette().color(QPalette::WindowText), w->palette().color(QPalette::WindowText));
        rig.image.set(743, quint16(reg));
        rig.cycle();
        for (int i = 0; i < names.size(); ++i) QCOMPARE(labelText(w, names[i]), texts[i]);
        QCOMPARE(transfer->palette().color(QPalette::WindowText), transferColour);
    }
};

QObject* makeDateTimeDipTest() { return new tst_DateTimeDip; }

#include "tst_DateTimeDip.moc"
