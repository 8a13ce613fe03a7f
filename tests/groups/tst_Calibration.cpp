#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GroupTestRig.h"
#include "NipTestHelpers.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/InputValidation.h"
#include "groups/calibration/C_M852_Calibration.h"

using namespace niptest;

namespace {

CDisplayWindow* openCalibration(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(C_M852_Calibration::kWinID, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

QLineEdit* box(CDisplayWindow* w, const QString& name) {
    auto* b = w->findChild<QLineEdit*>(name);
    if (!b) qWarning("no box %s", qPrintable(name));
    return b;
}

void press(CDisplayWindow* w, const char* name) { w->findChild<QPushButton*>(QLatin1String(name))->click(); }

// Register 1400 + i: the register list with `value` at i and 0 elsewhere.
QList<quint16> onlyAt(int i, quint16 value) {
    QList<quint16> regs(12, 0);
    regs[i] = value;
    return regs;
}

const QStringList kFields = {"L1L0", "L2L0", "L3L0", "L1L2", "L2L3", "L3L1"};

}  // namespace

class tst_Calibration : public QObject {
    Q_OBJECT
private slots:
    // A three-phase source shows all six rows; any other phase count only the C - A row, titled
    // "L1 - L2". The other column is not affected.
    void rows_data() {
        QTest::addColumn<int>("phasesN");
        QTest::addColumn<int>("phasesE");
        QTest::newRow("E single-phase") << 3 << 1;
        QTest::newRow("N single-phase") << 1 << 3;
        QTest::newRow("both three-phase") << 3 << 3;
        QTest::newRow("E reports 0") << 3 << 0;
    }
    void rows() {
        QFETCH(int, phasesN);
        QFETCH(int, phasesE);
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        for (int s = 0; s < 2; ++s)
            for (const QString& f : kFields)
                QVERIFY(box(w, QStringLiteral("txt%1_%2").arg(f).arg(s))->isVisibleTo(w));
        rig.image.set(28, quint16(phasesN));
        rig.image.set(29, quint16(phasesE));
        rig.cycle();
        const int phases[] = {phasesN, phasesE};
        for (int s = 0; s < 2; ++s) {
            const bool three = phases[s] == 3;
            for (const QString& f : kFields) {
                const bool shown = three || f == QLatin1String("L3L1");
                for (const char* kind : {"txt", "lblTitle", "lblUnit"}) {
                    auto* c =
                        w->findChild<QWidget*>(QStringLiteral("%1%2_%3").arg(QLatin1String(kind), f).arg(s));
                    QVERIFY(c);
                    QCOMPARE(c->isVisibleTo(w), shown);
                }
            }
            QCOMPARE(labelText(w, QStringLiteral("lblTitleL3L1_%1").arg(s)),
                     three ? QStringLiteral("C - A") : QStringLiteral("L1 - L2"));
        }
    }

    // Each box goes to its own register, as volts x 10 rounded down; every other register gets 0.
    void apply_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");  // register 1400 + index
        QTest::addColumn<int>("value");
        QTest::newRow("Source N A - N 277.3 -> 1406") << "txtL1L0_0"
                                                      << "277.3" << 6 << 2773;
        QTest::newRow("Source E L1 - L2 (single-phase) -> 1405") << "txtL3L1_1"
                                                                 << "240" << 5 << 2400;
        QTest::newRow("Source N A - B 480.5 -> 1400") << "txtL1L2_0"
                                                      << "480.5" << 0 << 4805;
        QTest::newRow("Source E C - N 277.39 -> 1411") << "txtL3L0_1"
                                                       << "277.39" << 11 << 2773;
        QTest::newRow("Source N B - C .5 -> 1401") << "txtL2L3_0"
                                                   << ".5" << 1 << 5;
        QTest::newRow("Source E B - N 3276.7 -> 1410") << "txtL2L0_1"
                                                       << "3276.7" << 10 << 32767;
    }
    void apply() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(int, index);
        QFETCH(int, value);
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        rig.image.set(29, 1);  // Source E single-phase: its hidden rows are written too
        rig.cycle();
        box(w, name)->setText(typed);
        press(w, "cmdApply");
        const QList<quint16> expected = onlyAt(index, quint16(value));
        QCOMPARE(flushWrites(rig), (QList<Write>{{16, 1400, expected}}));
        QCOMPARE(rig.windows().NumWindowsOpen(), 1);  // Apply keeps the window
        for (int i = 0; i < 12; ++i) QCOMPARE(rig.image.valueOr(1400 + i), expected.at(i));
    }

    // Every Apply starts from zeros: a box emptied since the last Apply is written as 0.
    void applyResets() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        rig.cycle();
        box(w, "txtL1L0_0")->setText("277.3");
        press(w, "cmdApply");
        QCOMPARE(flushWrites(rig).size(), 1);
        box(w, "txtL1L0_0")->clear();
        box(w, "txtL2L0_1")->setText("276");
        press(w, "cmdApply");
        QCOMPARE(flushWrites(rig), (QList<Write>{{16, 1400, onlyAt(10, 2760)}}));
    }

    // OK writes and closes; Cancel closes without writing.
    void okAndCancel_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void okAndCancel() {
        QFETCH(bool, ok);
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        rig.cycle();
        box(w, "txtL3L1_0")->setText("479.9");
        press(w, ok ? "cmdOK" : "cmdCancel");
        QCOMPARE(rig.windows().NumWindowsOpen(), 0);
        const QList<Write> writes = flushWrites(rig);
        if (ok)
            QCOMPARE(writes, (QList<Write>{{16, 1400, onlyAt(2, 4799)}}));
        else
            QVERIFY(writes.isEmpty());
        QCOMPARE(rig.manager().queueSize(), qint16(0));  // the window's polls left with it
    }

    // Digits and one "." are typed; anything else beeps.
    void keyFilter() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        QLineEdit* b = box(w, "txtL1L0_0");
        ScriptedUiServices ui;
        QTest::keyClicks(b, "12.3.4a-5");
        QCOMPARE(b->text(), QStringLiteral("12.345"));
        QCOMPARE(ui.beeps(), 3);
        QTest::keyClick(b, Qt::Key_Backspace);
        QCOMPARE(b->text(), QStringLiteral("12.34"));
    }

    // A box that is not a reading (pasted text, or too large for its register) is red and stops
    // Apply and OK; nothing is written and the window stays.
    void invalidBoxWritesNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("valid");
        QTest::newRow("pasted text") << "abc" << false;
        QTest::newRow("beyond the register") << "3276.8" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("empty is fine") << "" << true;
        QTest::newRow("number") << "120" << true;
    }
    void invalidBoxWritesNothing() {
        QFETCH(QString, typed);
        QFETCH(bool, valid);
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        rig.cycle();
        QLineEdit* b = box(w, "txtL2L3_1");
        b->setText(typed);
        press(w, "cmdOK");
        QCOMPARE(BackColor(b), valid ? kValidBackColor : kInvalidBackColor);
        QCOMPARE(rig.windows().NumWindowsOpen(), valid ? 0 : 1);
        QCOMPARE(flushWrites(rig).size(), valid ? 1 : 0);
    }

    // Leaving a box with text that is not a reading keeps the focus there.
    void leavingInvalidBoxKeepsFocus() {
        GroupTestRig rig;
        CDisplayWindow* w = openCalibration(rig);
        rig.area().setActiveSubWindow(rig.area().subWindowList().constFirst());
        QLineEdit* b = box(w, "txtL1L0_0");
        b->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(b->hasFocus());
        b->setText("9999");
        box(w, "txtL2L0_0")->setFocus(Qt::TabFocusReason);
        QCOMPARE(BackColor(b), kInvalidBackColor);
        QTRY_VERIFY(b->hasFocus());
        b->setText("277");
        box(w, "txtL2L0_0")->setFocus(Qt::TabFocusReason);
        QCOMPARE(BackColor(b), kValidBackColor);
        QTRY_VERIFY(box(w, "txtL2L0_0")->hasFocus());
    }

    // Disconnected: a press beeps, writes nothing later, and keeps the typed readings. A guest gets
    // no OK and no Apply.
    void noWriteWhenNotAllowed() {
        {
            GroupTestRig rig;
            CDisplayWindow* w = openCalibration(rig);
            rig.cycle();
            rig.setConnected(false);
            box(w, "txtL1L0_0")->setText("277");
            ScriptedUiServices ui;
            press(w, "cmdOK");
            press(w, "cmdApply");
            QCOMPARE(ui.beeps(), 2);
            QCOMPARE(rig.windows().NumWindowsOpen(), 1);
            QCOMPARE(box(w, "txtL1L0_0")->text(), QStringLiteral("277"));
            rig.setConnected(true);
            QVERIFY(flushWrites(rig).isEmpty());
        }
        {
            GroupTestRig rig(4);
            CDisplayWindow* w = openCalibration(rig);
            rig.cycle();
            QVERIFY(!w->findChild<QPushButton*>("cmdOK")->isEnabled());
            QVERIFY(!w->findChild<QPushButton*>("cmdApply")->isEnabled());
            QVERIFY(w->findChild<QPushButton*>("cmdCancel")->isEnabled());
        }
    }

    void dataClass() {
        GroupTestRig rig;
        C_M852_Calibration d;
        d.setL1L2(1, 480.5);
        QCOMPARE(d.CalReading(3), 4805.0);
        QVERIFY_THROWS_EXCEPTION(OverflowError, d.setL1L2(1, 3276.8));
        QCOMPARE(d.CalReading(3), 4805.0);
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, d.setL3L0(2, 1.0));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.Phases(2));
        d.ResetReadings();
        QCOMPARE(d.CalReading(3), 0.0);
    }
};

QObject* makeCalibrationTest() { return new tst_Calibration; }

#include "tst_Calibration.moc"
