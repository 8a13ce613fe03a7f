// Exerciser calendar group: flag words, period texts, the 21-row table and its dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/InputValidation.h"
#include "groups/calendar/C_M852_Calendar.h"
#include "groups/datetime/PackedDate.h"

using namespace grouptest;

namespace {

CDisplayWindow* openCalendar(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(20, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

void setEvent(GroupTestRig& rig, int n, quint16 flags, quint16 time, quint16 date, quint16 run) {
    const int b = 910 + 4 * (n - 1);
    rig.image.set(b, flags);
    rig.image.set(b + 1, time);
    rig.image.set(b + 2, date);
    rig.image.set(b + 3, run);
}

constexpr quint16 packed(int y, int m, int d) { return quint16(((y - 2000) << 9) | (m << 5) | d); }

// Runs the calendar dialog with `script`; the write frames that reached the controller.
QList<QByteArray> runDialog(GroupTestRig& rig, CDisplayWindow* w, ScriptedUiServices& ui,
                            ScriptedUiServices::DialogScript script) {
    ui.queueDialog(QStringLiteral("SU_M852_Calendar"), std::move(script));
    const qsizetype before = rig.host.sent.size();
    w->RunSetup();
    rig.cycle();
    return writesOf(rig.host.sent.mid(before));
}

}  // namespace

class tst_Calendar : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void initialValuesAndIndex() {
        GroupTestRig rig;
        C_M852_Calendar d;
        for (int n : {1, 21}) {
            QCOMPARE(d.Enabled(n), false);
            QCOMPARE(d.Interval(n), 3);
            QCOMPARE(d.RepeatRate(n), 1);
            QCOMPARE(d.StartDate(n), QDate(2000, 1, 1));
            QCOMPARE(d.StartTime(n), QTime(0, 0));
        }
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.Enabled(0));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, d.setRunTime(22, 5));
    }

    void periodText_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("text");
        const char* ordinal[] = {"1st", "2nd", "3rd", "4th", "5th"};
        for (int r = 1; r <= 5; ++r)
            QTest::addRow("day of month, %d", r)
                << 0 << r << QStringLiteral("Every %1 Wednesday").arg(ordinal[r - 1]);
        QTest::newRow("day of month, 6") << 0 << 6 << "Unknown Period";
        QTest::newRow("day of month, 0") << 0 << 0 << "Unknown Period";
        QTest::newRow("day, 1") << 1 << 1 << "Every Day";
        QTest::newRow("day, 3") << 1 << 3 << "Every 3 days";
        QTest::newRow("day, 0 from the controller") << 1 << 0 << "Every 0 days";
        QTest::newRow("week, 1") << 2 << 1 << "Every Week";
        QTest::newRow("week, 2") << 2 << 2 << "Every 2 weeks";
        QTest::newRow("month, 1") << 3 << 1 << "Every Month";
        QTest::newRow("month, 12") << 3 << 12 << "Every 12 months";
        QTest::newRow("month, 0") << 3 << 0 << "Every 0 months";
        QTest::newRow("interval 4") << 4 << 1 << "Unknown Period";
    }
    void periodText() {
        QFETCH(int, interval);
        QFETCH(int, repeat);
        QFETCH(QString, text);
        GroupTestRig rig;
        C_M852_Calendar d;
        d.setInterval(7, interval);
        d.setRepeatRate(7, repeat);
        d.setStartDate(7, QDate(2026, 12, 9));  // a Wednesday
        QCOMPARE(d.PeriodText(7), text);
    }

    // 0x0107: enabled, loaded, interval 1, repeat 0, highlighted. Shown bold and enabled with "X";
    // written back as 0x0007 (the highlight is never written).
    void flagWord0x0107() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalendar(rig);
        QVERIFY(w);
        QCOMPARE(labelText(w, "lblEventNo_4"), QStringLiteral("4"));
        QCOMPARE(labelText(w, "lblStartDate_4"), QStringLiteral("---"));
        QCOMPARE(labelText(w, "lblLoaded_4"), QString());
        setEvent(rig, 4, 0x0107, 870, packed(2027, 3, 3), 90);
        setEvent(rig, 5, 0x0028, 0, packed(2000, 1, 1), 0);  // disabled, week, every 2
        rig.cycle();
        auto* c = static_cast<C_M852_Calendar*>(&w->Data());
        QVERIFY(c->Enabled(4) && c->Loaded(4) && c->Highlight(4));
        QCOMPARE(c->Interval(4), 1);
        QCOMPARE(c->RepeatRate(4), 0);
        const QStringList cols{"lblEventNo", "lblStartDate", "lblStartTime",
                               "lblRunTime", "lblLoaded",    "lblPeriod"};
        for (const QString& col : cols) {
            auto* l = w->findChild<QLabel*>(col + "_4");
            QVERIFY(l->isEnabled());
            QVERIFY(l->font().bold());
            auto* other = w->findChild<QLabel*>(col + "_5");
            QVERIFY(!other->isEnabled());
            QVERIFY(!other->font().bold());
        }
        QCOMPARE(labelText(w, "lblLoaded_4"), QStringLiteral("X"));
        QCOMPARE(labelText(w, "lblLoaded_5"), QStringLiteral(" "));
        QCOMPARE(labelText(w, "lblStartDate_4"), QStringLiteral("Wed, 3 March 2027"));
        QCOMPARE(labelText(w, "lblStartTime_4"), QStringLiteral("2:30 PM"));
        QCOMPARE(labelText(w, "lblRunTime_4"), QStringLiteral("1:30"));
        QCOMPARE(labelText(w, "lblPeriod_4"), QStringLiteral("Every 0 days"));
        QCOMPARE(labelText(w, "lblPeriod_5"), QStringLiteral("Every 2 weeks"));

        const qsizetype before = rig.host.sent.size();
        c->SendSetup();
        rig.cycle();
        const QList<QByteArray> writes = writesOf(rig.host.sent.mid(before));
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameStart(writes[0]), 910);
        QCOMPARE(frameCount(writes[0]), 84);
        const QList<quint16> v = frameValues(writes[0]);
        QCOMPARE(v.mid(12, 4), (QList<quint16>{0x0007, 870, packed(2027, 3, 3), 90}));

        // The row loses its bold and greys when the controller moves on.
        setEvent(rig, 4, 0x0006, 870, packed(2027, 3, 3), 90);
        rig.cycle();
        QVERIFY(!w->findChild<QLabel*>("lblPeriod_4")->font().bold());
        QVERIFY(!w->findChild<QLabel*>("lblPeriod_4")->isEnabled());
    }

    // A no-edit OK writes back the table the controller holds, the highlight bit cleared.
    void noEditOkWritesTheTable() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalendar(rig);
        rig.cycle();
        QList<quint16> held;
        for (int r = 910; r < 994; ++r) held << rig.image.valueOr(r);
        QVERIFY(held[0] & 0x0100);  // the simulated controller highlights event 1
        ScriptedUiServices ui;
        const QList<QByteArray> writes =
            runDialog(rig, w, ui, [](QDialog& d) { return ScriptedUiServices::click(d, "cmdOK"); });
        QVERIFY(ui.allConsumed());
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameFunction(writes[0]), 16);
        QCOMPARE(frameStart(writes[0]), 910);
        QList<quint16> expected = held;
        expected[0] &= ~0x0100;
        QCOMPARE(frameValues(writes[0]), expected);
    }

    void editedRowIsWritten() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalendar(rig);
        rig.cycle();
        ScriptedUiServices ui;
        const QList<QByteArray> writes = runDialog(rig, w, ui, [](QDialog& d) {
            d.findChild<QCheckBox*>("chkEnabled_21")->setChecked(true);
            d.findChild<QCheckBox*>("chkLoaded_21")->setChecked(true);
            ScriptedUiServices::setText(d, "txtRunTime_21", "1:30");
            ScriptedUiServices::setText(d, "txtRepeatRate_21", "12");
            d.findChild<QComboBox*>("cboInterval_21")->setCurrentIndex(1);
            d.findChild<QDateEdit*>("dtpStartDate_21")->setDate(QDate(2127, 12, 31));
            d.findChild<QTimeEdit*>("dtpStartTime_21")->setTime(QTime(23, 59, 30));
            return ScriptedUiServices::click(d, "cmdOK");
        });
        QCOMPARE(writes.size(), 1);
        const QList<quint16> v = frameValues(writes[0]);
        QCOMPARE(v.size(), 84);
        QCOMPARE(v.mid(80), (QList<quint16>{1 + 2 + 1 * 4 + 12 * 16, 1439, 0xFF9F, 90}));
        rig.cycle();
        QCOMPARE(labelText(w, "lblPeriod_21"), QStringLiteral("Every 12 days"));
    }

    void fillFailureIsReportedOnce() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalendar(rig);
        setEvent(rig, 5, 0x0015, 60, 0x0020, 10);  // day 0 of January 2000: 31 December 1999
        setEvent(rig, 9, 0x0015, 60, 0x0000, 10);  // 30 November 1999
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);
        QDate shown;
        QString runTime;
        ui.queueDialog(QStringLiteral("SU_M852_Calendar"), [&](QDialog& d) {
            shown = d.findChild<QDateEdit*>("dtpStartDate_5")->date();
            runTime = d.findChild<QLineEdit*>("txtRunTime_5")->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(ui.messages().size(), 1);
        const auto m = ui.messages().constFirst();
        QCOMPARE(m.title, QStringLiteral("ERROR"));
        QCOMPARE(m.icon, ui::Icon::Exclamation);
        QCOMPARE(m.text, QStringLiteral("One or more errors occured while loading the setup window.\n"
                                        "Some settings may not be valid."));
        // The dialog opened anyway, with the rest of the row filled.
        QCOMPARE(shown, QDate(2000, 1, 1));
        QCOMPARE(runTime, QStringLiteral("0:10"));
    }

    // Run time 0-5999 minutes, repeat 1-12: an invalid box turns light red, keeps the focus, and OK
    // writes nothing until it is corrected.
    void boxesCheckedOnLeaving_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("repeat 13") << "txtRepeatRate_3"
                                   << "13"
                                   << "12";
        QTest::newRow("repeat 0") << "txtRepeatRate_3"
                                  << "0"
                                  << "1";
        QTest::newRow("repeat empty") << "txtRepeatRate_3"
                                      << ""
                                      << "2";
        QTest::newRow("run time 100:00") << "txtRunTime_3"
                                         << "100:00"
                                         << "99:59";
        QTest::newRow("run time empty") << "txtRunTime_3"
                                        << ""
                                        << "0";
        QTest::newRow("run time 32768 minutes") << "txtRunTime_3"
                                                << "32768"
                                                << "5999";
    }
    void boxesCheckedOnLeaving() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, fixed);
        GroupTestRig rig;
        CDisplayWindow* w = openCalendar(rig);
        rig.cycle();
        ScriptedUiServices ui;
        bool red = false, focusKept = false, stillOpen = false;
        qint16 queuedByFirstOK = -1;
        const QList<QByteArray> writes = runDialog(rig, w, ui, [&](QDialog& d) {
            QApplication::setActiveWindow(&d);
            auto* edit = d.findChild<QLineEdit*>(box);
            edit->setFocus();
            (void)QTest::qWaitFor([&] { return edit->hasFocus(); });
            edit->setText(typed);
            QTest::keyClick(edit, Qt::Key_Tab);
            focusKept = QTest::qWaitFor([&] { return edit->hasFocus(); });
            red = BackColor(edit) == QColor(255, 128, 128);
            const qint16 queued = rig.manager().queueSize();
            d.findChild<QPushButton*>("cmdOK")->click();
            stillOpen = d.result() == 0;
            queuedByFirstOK = qint16(rig.manager().queueSize() - queued);
            edit->setText(fixed);
            QTest::keyClick(edit, Qt::Key_Tab);
            if (BackColor(edit) != QColor(255, 255, 255)) return int(QDialog::Rejected);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        QVERIFY(red);
        QVERIFY(focusKept);
        QVERIFY(stillOpen);
        QCOMPARE(queuedByFirstOK, qint16(0));
        QCOMPARE(writes.size(), 1);
        const QList<quint16> v = frameValues(writes[0]);
        if (box.startsWith("txtRepeatRate"))
            QCOMPARE(int((v[8] >> 4) & 0xF), fixed.toInt());
        else
            QCOMPARE(int(v[11]), ParseTimeTextForTest(fixed));
    }

private:
    static int ParseTimeTextForTest(const QString& t) {
        const QStringList p = t.split(':');
        return p.size() == 2 ? p[0].toInt() * 60 + p[1].toInt() : p[0].toInt();
    }
};

QObject* makeCalendarTest() { return new tst_Calendar; }

#include "tst_Calendar.moc"
