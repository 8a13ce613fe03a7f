// Exerciser group: decoding with its dropped values, the display rules, the dialog's writes and
// commands.
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "groups/CDisplayWindow.h"
#include "groups/InputValidation.h"
#include "groups/plantex/C_M852_PlantEx.h"
#include "groups/plantex/SU_M852_PlantEx.h"

using namespace grouptest;

namespace {

CDisplayWindow* openExerciser(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(17, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

bool frameEnabled(CDisplayWindow* w, const char* name) { return w->findChild<QGroupBox*>(name)->isEnabled(); }

}  // namespace

class tst_PlantEx : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void polledBlocks() {
        GroupTestRig rig;
        C_M852_PlantEx data;
        QList<QPair<int, int>> blocks;
        for (const auto& b : data.ReadBlocks()) blocks << qMakePair(int(b.start), int(b.count));
        const QList<QPair<int, int>> expected{{900, 4}, {743, 1}, {1352, 1}, {650, 3}, {905, 4}};
        QCOMPARE(blocks, expected);
    }

    void modeAndFrames_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("disabled");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("calendar");
        QTest::addColumn<bool>("manual");
        QTest::newRow("manual") << 0 << 0 << "Manual Mode" << false << true;
        QTest::newRow("manual, disabled") << 0 << 1 << "Manual Mode" << false << false;
        QTest::newRow("calendar") << 1 << 0 << "Calendar Mode" << true << false;
        QTest::newRow("calendar, disabled") << 1 << 1 << "Calendar Mode" << true << false;
        QTest::newRow("override") << 2 << 0 << "Calendar Mode w/ Manual Override" << false << true;
        QTest::newRow("override, disabled") << 2 << 1 << "Calendar Mode w/ Manual Override" << true << false;
        QTest::newRow("mode 5") << 5 << 0 << "Error - Mode = 5" << true << true;
        QTest::newRow("mode -1, disabled") << 0xFFFF << 1 << "Error - Mode = -1" << true << true;
    }
    void modeAndFrames() {
        QFETCH(int, mode);
        QFETCH(int, disabled);
        QFETCH(QString, text);
        QFETCH(bool, calendar);
        QFETCH(bool, manual);
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        QVERIFY(w);
        rig.image.set(900, quint16(mode));
        rig.image.set(1352, quint16(disabled));
        rig.cycle();
        QCOMPARE(labelText(w, "lblExerMode"), text);
        QCOMPARE(frameEnabled(w, "fraCalExer"), calendar);
        QCOMPARE(frameEnabled(w, "fraManExer"), manual);
    }

    void manualExercise() {
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        QCOMPARE(labelText(w, "lblExerDate"), QStringLiteral("---"));
        QCOMPARE(labelText(w, "lblTimeRemaining"), QStringLiteral("0:00:00"));
        QCOMPARE(labelText(w, "lblPercentRemaining"), QStringLiteral("(0%)"));
        QVERIFY(!w->findChild<QLabel*>("lblExerInhibitedIndicator")->isVisibleTo(w));
        rig.image.set(901, 5999);
        rig.image.set(902, 870);                       // 2:30 PM
        rig.image.set(903, (26 << 9) | (7 << 5) | 4);  // 4 July 2026
        rig.image.set(743, 0x0001 | 0x0004 | 0x0010);  // transfer and exercise inhibited, 2 weeks
        rig.cycle();
        QCOMPARE(labelText(w, "lblExerLength"), QStringLiteral("99:59"));
        QCOMPARE(labelText(w, "lblExerTime"), QStringLiteral("2:30 PM"));
        QCOMPARE(labelText(w, "lblExerDate"), QStringLiteral("4 July 2026"));
        QCOMPARE(labelText(w, "lblExerPeriod"), QStringLiteral("2 week"));
        QCOMPARE(labelText(w, "lblExerLoad"), QStringLiteral("UNLOADED"));
        QVERIFY(w->findChild<QLabel*>("lblExerInhibitedIndicator")->isVisibleTo(w));
        QVERIFY(w->findChild<QLabel*>("lblTransferInhibitedIndicator")->isVisibleTo(w));

        // Out-of-range values are dropped one by one; the rest of the reply is taken.
        rig.image.set(900, 1);
        rig.image.set(901, 6000);
        rig.image.set(902, 1440);
        rig.image.set(903, 0x8021);  // negative word: year field 64
        rig.image.set(743, 0x0008);
        rig.cycle();
        QCOMPARE(labelText(w, "lblExerMode"), QStringLiteral("Calendar Mode"));
        QCOMPARE(labelText(w, "lblExerLength"), QStringLiteral("99:59"));
        QCOMPARE(labelText(w, "lblExerTime"), QStringLiteral("2:30 PM"));
        QCOMPARE(labelText(w, "lblExerDate"), QStringLiteral("4 July 2026"));
        QCOMPARE(labelText(w, "lblExerLoad"), QStringLiteral("LOADED"));
        QCOMPARE(labelText(w, "lblExerPeriod"), QStringLiteral("1 week"));
        QVERIFY(!w->findChild<QLabel*>("lblTransferInhibitedIndicator")->isVisibleTo(w));
    }

    // Register 905 = 0 clears "pending" only: the calendar exercise labels keep what they show.
    void calendarExerciseKeptWhenNonePending() {
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.image.set(905, 0x0003);
        rig.image.set(906, 540);
        rig.image.set(907, (26 << 9) | (8 << 5) | 1);
        rig.image.set(908, 90);
        rig.cycle();
        const QStringList names{"lblCalExerDate", "lblCalExerTime", "lblCalExerLoad", "lblCalExerLength"};
        const QStringList shown{"1 August 2026", "9:00 AM", "LOADED", "1:30"};
        for (int i = 0; i < names.size(); ++i) QCOMPARE(labelText(w, names[i]), shown[i]);
        rig.image.set(905, 0);
        rig.image.set(906, 600);
        rig.image.set(908, 30);
        rig.cycle();
        for (int i = 0; i < names.size(); ++i) QCOMPARE(labelText(w, names[i]), shown[i]);
    }

    void timeRemaining_data() {
        QTest::addColumn<int>("timer");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("percent");
        QTest::newRow("exercise, half done") << 14 << 125 << 250 << "0:12:30"
                                             << "(50%)";
        QTest::newRow("exercise, 7 tenths") << 14 << 7 << 600 << "0:00:42"
                                            << "(1%)";
        QTest::newRow("exercise, 90 minutes") << 14 << 900 << 900 << "1:30:00"
                                              << "(100%)";
        QTest::newRow("exercise, total 0 keeps the percentage") << 14 << 125 << 0 << "0:12:30"
                                                                << "(7%)";
        QTest::newRow("another timer") << 13 << 125 << 250 << "0:00:00"
                                       << "(0%)";
    }
    void timeRemaining() {
        QFETCH(int, timer);
        QFETCH(int, remaining);
        QFETCH(int, total);
        QFETCH(QString, time);
        QFETCH(QString, percent);
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        // A first reply that leaves a percentage behind (for the "total 0" row).
        rig.image.set(650, 14);
        rig.image.set(651, 125);
        rig.image.set(652, 1800);
        rig.cycle();
        QCOMPARE(labelText(w, "lblPercentRemaining"), QStringLiteral("(7%)"));
        rig.image.set(650, quint16(timer));
        rig.image.set(651, quint16(remaining));
        rig.image.set(652, quint16(total));
        rig.cycle();
        QCOMPARE(labelText(w, "lblTimeRemaining"), time);
        QCOMPARE(labelText(w, "lblPercentRemaining"), percent);
    }

    // OK writes registers 900-901 and nothing else: the typed run time and the chosen mode.
    void dialogWritesModeAndRunTime_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QList<quint16>>("written");
        QTest::newRow("1:30, override") << "1:30"
                                        << "optCalendarOverride" << QList<quint16>{2, 90};
        QTest::newRow("45, calendar") << "45"
                                      << "optCalendar" << QList<quint16>{1, 45};
        QTest::newRow("99:59, manual") << "99:59"
                                       << "optManMode" << QList<quint16>{0, 5999};
        QTest::newRow("no edit") << QString() << QString() << QList<quint16>{0, 30};
    }
    void dialogWritesModeAndRunTime() {
        QFETCH(QString, typed);
        QFETCH(QString, option);
        QFETCH(QList<quint16>, written);
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.cycle();  // the simulated controller: manual mode, 30 minutes
        ScriptedUiServices ui;
        QString shownLength;
        ui.queueDialog(QStringLiteral("SU_M852_PlantEx"), [&](QDialog& d) {
            shownLength = d.findChild<QLineEdit*>("txtExerLength")->text();
            if (!typed.isEmpty()) ScriptedUiServices::setText(d, "txtExerLength", typed);
            if (!option.isEmpty()) d.findChild<QRadioButton*>(option)->setChecked(true);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        const qsizetype before = rig.host.sent.size();
        w->RunSetup();
        rig.cycle();
        QVERIFY(ui.allConsumed());
        QCOMPARE(shownLength, QStringLiteral("0:30"));
        const QList<QByteArray> writes = writesOf(rig.host.sent.mid(before));
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameFunction(writes[0]), 16);
        QCOMPARE(frameStart(writes[0]), 900);
        QCOMPARE(frameValues(writes[0]), written);
    }

    // The two command buttons write at once and the dialog stays open; Cancel then writes no more.
    void commands() {
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.cycle();
        ScriptedUiServices ui;
        bool stayedOpen = false;
        ui.queueDialog(QStringLiteral("SU_M852_PlantEx"), [&](QDialog& d) {
            d.findChild<QPushButton*>("cmdRemoteExercise")->click();
            d.findChild<QPushButton*>("cmdDisableManExer")->click();
            stayedOpen = d.isVisible() && d.result() == 0;
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        const qsizetype before = rig.host.sent.size();
        w->RunSetup();
        rig.cycle();
        QVERIFY(stayedOpen);
        const QList<QByteArray> writes = writesOf(rig.host.sent.mid(before));
        QCOMPARE(writes.size(), 2);
        QCOMPARE(frameFunction(writes[0]), 6);
        QCOMPARE(frameStart(writes[0]), 1350);
        QCOMPARE(frameValues(writes[0]), QList<quint16>{256});
        QCOMPARE(frameFunction(writes[1]), 16);
        QCOMPARE(frameStart(writes[1]), 1352);
        QCOMPARE(frameValues(writes[1]), QList<quint16>{1});
        // The simulated controller started the exercise run timer and took the disable.
        QCOMPARE(rig.image.valueOr(650), quint16(14));
        QCOMPARE(rig.image.valueOr(1352), quint16(1));
        rig.cycle();
        QCOMPARE(labelText(w, "lblTimeRemaining"), QStringLiteral("0:30:00"));
        QCOMPARE(labelText(w, "lblPercentRemaining"), QStringLiteral("(100%)"));
    }

    // An invalid run time turns light red and keeps the focus; OK writes nothing until it is fixed.
    void runTimeBoxChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("6000 minutes") << "100:00";
        QTest::newRow("empty") << "";
        QTest::newRow("colon only") << ":";
        QTest::newRow("pasted letters") << "1:3x";
        QTest::newRow("two colons (pasted)") << "1:2:3";
    }
    void runTimeBoxChecked() {
        QFETCH(QString, typed);
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.cycle();
        ScriptedUiServices ui;
        bool red = false, focusKept = false, stillOpen = false;
        int writesWhileInvalid = -1;
        ui.queueDialog(QStringLiteral("SU_M852_PlantEx"), [&](QDialog& d) {
            QApplication::setActiveWindow(&d);
            auto* box = d.findChild<QLineEdit*>("txtExerLength");
            box->setFocus();
            (void)QTest::qWaitFor([&] { return box->hasFocus(); });
            box->setText(typed);
            QTest::keyClick(box, Qt::Key_Tab);
            focusKept = QTest::qWaitFor([&] { return box->hasFocus(); });
            red = BackColor(box) == QColor(255, 128, 128);
            const qint16 queued = rig.manager().queueSize();
            d.findChild<QPushButton*>("cmdOK")->click();
            stillOpen = d.result() == 0;
            writesWhileInvalid = rig.manager().queueSize() - queued;
            box->setText("2:00");
            return ScriptedUiServices::click(d, "cmdOK");
        });
        const qsizetype before = rig.host.sent.size();
        w->RunSetup();
        rig.cycle();
        QVERIFY(red);
        QVERIFY(focusKept);
        QVERIFY(stillOpen);
        QCOMPARE(writesWhileInvalid, 0);
        const QList<QByteArray> writes = writesOf(rig.host.sent.mid(before));
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameValues(writes[0]), (QList<quint16>{0, 120}));
    }

    // A double-click on a frame opens the dialog, as on the labels and the background.
    void frameDoubleClickOpensSetup() {
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_PlantEx"),
                       [](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        auto* frame = w->findChild<QGroupBox*>("fraWarnings");
        QTest::mouseDClick(frame, Qt::LeftButton, {}, QPoint(3, frame->height() - 3));
        QVERIFY(ui.allConsumed());
    }

    // A real click on Cancel while the run time is invalid closes the dialog and writes nothing.
    void cancelWhileRunTimeInvalid() {
        GroupTestRig rig;
        C_M852_PlantEx data;
        rig.cycle();
        SU_M852_PlantEx dialog;
        dialog.FillFromData(data);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* box = dialog.findChild<QLineEdit*>("txtExerLength");
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->setText("100:00");
        QTest::keyClick(box, Qt::Key_Tab);
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(BackColor(box), kInvalidBackColor);
        const qint16 queued = rig.manager().queueSize();
        const QPoint at = dialog.cmdCancel()->rect().center();
        QTest::mousePress(dialog.cmdCancel(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
        QTest::mouseRelease(dialog.cmdCancel(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(rig.manager().queueSize(), queued);
        QCOMPARE(data.ExerLength(), 30);
    }

    void runTimeKeys() {
        GroupTestRig rig;
        CDisplayWindow* w = openExerciser(rig);
        rig.cycle();
        ScriptedUiServices ui;
        QString text;
        ui.queueDialog(QStringLiteral("SU_M852_PlantEx"), [&](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("txtExerLength");
            box->clear();
            QTest::keyClicks(box, "1:2:a3");
            text = box->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(text, QStringLiteral("1:23"));
        QCOMPARE(ui.beeps(), 2);  // the second ":" and the letter
    }
};

QObject* makePlantExTest() { return new tst_PlantEx; }

#include "tst_PlantEx.moc"
