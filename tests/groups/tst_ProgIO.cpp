// Programmable I/O group: register positions, the window's module browsing, the dialog's working
// copy and the "Forced Transfer to Off" warning.
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "base/StringTable.h"
#include "groups/CDisplayWindow.h"
#include "groups/progio/CUpDown.h"
#include "groups/progio/C_M852_ProgIO.h"

using namespace grouptest;

namespace {

CDisplayWindow* openWindow(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(12, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

// A recognisable image: main output 74, outputs of module m = 55 + 6(m-1) + k, main inputs 117/118,
// module inputs 119 + ... (all valid codes), written into the simulator.
QList<quint16> loadImage(GroupTestRig& rig) {
    QList<quint16> regs(35);
    regs[0] = 74;
    for (int m = 1; m <= 4; ++m)
        for (int k = 1; k <= 6; ++k) regs[(m - 1) * 6 + k] = quint16(55 + (m - 1) * 6 + k);
    regs[25] = 117;
    regs[26] = 118;
    for (int m = 1; m <= 4; ++m)
        for (int k = 1; k <= 2; ++k) regs[26 + (m - 1) * 2 + k] = quint16(119 + (k - 1));
    for (int i = 0; i < 35; ++i) rig.image.set(65 + i, regs[i]);
    return regs;
}

void choose(QDialog& d, const QString& list, int code) {
    auto* c = d.findChild<QComboBox*>(list);
    QVERIFY2(c, qPrintable(list));
    const int index = c->findData(code);
    QVERIFY(index >= 0);
    c->setCurrentIndex(index);
}

int chosen(QDialog& d, const QString& list) { return d.findChild<QComboBox*>(list)->currentData().toInt(); }

void showModule(QWidget& w, int m) { w.findChild<CUpDown*>("updAddr")->setValue(m); }

QList<quint16> onlyWrite(GroupTestRig& rig) {
    rig.cycle();
    const QList<QByteArray> writes = writesOf(rig.host.sent);
    if (writes.size() != 1 || frameStart(writes[0]) != 65 || frameCount(writes[0]) != 35) return {};
    return frameValues(writes[0]);
}

}  // namespace

class tst_ProgIO : public QObject {
    Q_OBJECT
private slots:
    void positions() {
        QCOMPARE(C_M852_ProgIO::ROBOutputIndex(3, 1), 13);  // register 78
        QCOMPARE(C_M852_ProgIO::ROBOutputIndex(3, 6), 18);  // register 83
        QCOMPARE(C_M852_ProgIO::ROBInputIndex(3, 1), 31);   // register 96
        QCOMPARE(C_M852_ProgIO::ROBInputIndex(3, 2), 32);   // register 97
        QCOMPARE(C_M852_ProgIO::MLBInputIndex(1), 25);
        QCOMPARE(C_M852_ProgIO::ROBInputIndex(4, 2), 34);
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)C_M852_ProgIO::ROBOutputIndex(5, 1));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)C_M852_ProgIO::ROBInputIndex(1, 3));

        GroupTestRig rig;
        C_M852_ProgIO data(&rig.manager());
        for (int i = 0; i < 35; ++i) rig.image.set(65 + i, quint16(1000 + i));
        rig.cycle();
        for (int k = 1; k <= 6; ++k) QCOMPARE(int(data.ROBOutput(3, k)), 1000 + 78 - 65 + k - 1);
        QCOMPARE(int(data.ROBInput(3, 1)), 1000 + 96 - 65);
        QCOMPARE(int(data.ROBInput(3, 2)), 1000 + 97 - 65);
        QCOMPARE(int(data.MLBOutput()), 1000);
        QCOMPARE(int(data.MLBInput(2)), 1000 + 91 - 65);
    }

    // The window shows the module chosen; a code without a text leaves its label as it was.
    void windowBrowsesModules() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig);
        loadImage(rig);
        rig.image.set(92 + 4, 999);  // module 3 input 1: no text
        rig.cycle();
        QCOMPARE(labelText(w, "lblAddr"), QStringLiteral("1"));
        QCOMPARE(labelText(w, "lblMLBOutput"), StringTable::text(3074));
        QCOMPARE(labelText(w, "lblMLBInput_2"), StringTable::text(3118));
        QCOMPARE(labelText(w, "lblROBOutput_1"), StringTable::text(3056));
        QCOMPARE(labelText(w, "lblROBInput_1"), StringTable::text(3119));
        showModule(*w, 3);
        QCOMPARE(labelText(w, "lblAddr"), QStringLiteral("3"));
        QCOMPARE(labelText(w, "lblROBOutput_6"), StringTable::text(3055 + 12 + 6));
        QCOMPARE(labelText(w, "lblROBInput_1"), StringTable::text(3119));  // kept from module 1
        QCOMPARE(labelText(w, "lblROBInput_2"), StringTable::text(3120));
    }

    // Edits to each module survive switching back and forth; OK writes all of them, in register
    // order; an untouched dialog writes back the registers as read.
    void editsKeptAcrossModules() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        QList<quint16> expected = loadImage(rig);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_ProgIO", [](QDialog& d) {
            [&] {
                QCOMPARE(d.findChild<QComboBox*>("cboROBInput_1")->count(), 10);
                QCOMPARE(d.findChild<QComboBox*>("cboROBOutput_1")->count(), 53);
                choose(d, "cboROBOutput_2", 100);  // module 1 output 2
                showModule(d, 2);
                QCOMPARE(chosen(d, "cboROBOutput_2"), 55 + 6 + 2);
                choose(d, "cboROBInput_1", 124);  // module 2 input 1
                showModule(d, 1);
                QCOMPARE(chosen(d, "cboROBOutput_2"), 100);
                showModule(d, 2);
                QCOMPARE(chosen(d, "cboROBInput_1"), 124);
                choose(d, "cboMLBOutput", 88);
            }();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QVERIFY(ui.messages().isEmpty());
        expected[2] = 100;
        expected[27 + 2] = 124;
        expected[0] = 88;
        QCOMPARE(onlyWrite(rig), expected);

        // A no-edit OK writes back what the controller holds.
        rig.cycle();
        ui.queueDialog("SU_M852_ProgIO", [](QDialog& d) { return ScriptedUiServices::click(d, "cmdOK"); });
        rig.host.sent.clear();
        w->RunSetup();
        QCOMPARE(onlyWrite(rig), expected);
    }

    // A code the lists do not offer leaves its list without a selection, and is written back as read
    // (not as whatever another module's list showed).
    void unknownCodeKept() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        QList<quint16> expected = loadImage(rig);
        rig.image.set(65 + 7, 500);  // module 2 output 1
        expected[7] = 500;
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_ProgIO", [](QDialog& d) {
            [&] {
                showModule(d, 2);
                QCOMPARE(d.findChild<QComboBox*>("cboROBOutput_1")->currentIndex(), -1);
                showModule(d, 3);
                showModule(d, 2);
            }();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QCOMPARE(onlyWrite(rig), expected);
    }

    void forcedTransferWarning_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no: nothing written, dialog stays") << false;
        QTest::newRow("yes: written") << true;
    }
    // "Forced Transfer to Off" on module 4 input 2 while module 1 is shown still asks, with No as the
    // default button.
    void forcedTransferWarning() {
        QFETCH(bool, yes);
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        QList<quint16> expected = loadImage(rig);
        rig.cycle();
        ScriptedUiServices ui;
        bool stayedOpen = false;
        ui.queueDialog("SU_M852_ProgIO", [&](QDialog& d) {
            showModule(d, 4);
            choose(d, "cboROBInput_2", 116);
            showModule(d, 1);
            d.findChild<QAbstractButton*>("cmdOK")->click();
            stayedOpen = d.isVisible() && d.result() != QDialog::Accepted;
            return d.result();
        });
        ui.queueDialog("QMessageBox", [yes](QDialog& box) {
            auto& mb = static_cast<QMessageBox&>(box);
            [&] {
                QCOMPARE(mb.windowTitle(), QStringLiteral("WARNING"));
                QCOMPARE(mb.icon(), QMessageBox::Warning);
                QVERIFY(mb.text().startsWith(QStringLiteral("You have selected 'Forced Transfer to Off' as an input.")));
                QVERIFY(mb.text().endsWith(QStringLiteral("Do you want to continue?")));
                QVERIFY(mb.defaultButton() == mb.button(QMessageBox::No));
            }();
            return ScriptedUiServices::click(box, yes ? "cmdYes" : "cmdNo");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(stayedOpen, !yes);
        if (yes) {
            expected[34] = 116;
            QCOMPARE(onlyWrite(rig), expected);
        } else {
            rig.cycle();
            QVERIFY(writesOf(rig.host.sent).isEmpty());
        }
    }
};

QObject* makeProgIOTest() { return new tst_ProgIO; }

#include "tst_ProgIO.moc"
