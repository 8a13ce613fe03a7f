#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "groups/CSetupDialog.h"
#include "groups/InputValidation.h"
#include "groups/sourceinfo/C_M852_SourceInfo.h"
#include "groups/sourceinfo/DW_M852_SourceInfo.h"

namespace {

// A second group for routing tests: one polled block, one write block, nothing else.
class TinyGroup : public CDataGroup {
public:
    static constexpr ReadBlock kReads[] = {{740, 2}};
    static constexpr WriteBlock kWrites[] = {{16, 740, 2}};
    TinyGroup() : CDataGroup(10, kReads, kWrites) {}
    qint16 first = 0, second = 0;

protected:
    void DecodeBlock(int, const Registers& r) override {
        first = r[0];
        second = r[1];
    }
    std::vector<qint16> EncodeBlock(int) const override { return {first, second}; }
};

// A setup dialog of the tiny group with one validated box (1..100) and one free one.
class TinyDialog : public CSetupDialog {
public:
    TinyDialog() {
        auto* layout = new QVBoxLayout(body());
        ranged = new QLineEdit(body());
        ranged->setObjectName("txtRanged");
        other = new QLineEdit(body());
        other->setObjectName("txtOther");
        layout->addWidget(ranged);
        layout->addWidget(other);
        validateRange(ranged, 1, 100);
    }
    QLineEdit* ranged;
    QLineEdit* other;

protected:
    void Fill(CDataGroup& data) override {
        ranged->setText(QString::number(static_cast<TinyGroup&>(data).first));
    }
    void Commit(CDataGroup& data) override {
        static_cast<TinyGroup&>(data).first = qint16(ranged->text().toInt());
    }
};

PacketPtr reply(qint16 start, const QList<qint16>& data, qint32 function = 3) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setStartingReg(start);
    p->setMsgType(function);
    for (int i = 0; i < data.size(); ++i) p->setData(i, data.at(i));
    return p;
}

// Start register (1-based) and function of a request frame.
int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }
int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }

template <typename T>
T* child(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    if (!c) qWarning("no control %s", qPrintable(name));
    return c;
}

QString text(QWidget* w, const QString& name) {
    auto* l = child<QLabel>(w, name);
    return l ? l->text() : QString();
}

}  // namespace

class tst_SourceInfo : public QObject {
    Q_OBJECT
private slots:
    void rotation_data() {
        QTest::addColumn<int>("reg22");
        QTest::addColumn<int>("rotN");
        QTest::addColumn<int>("rotE");
        QTest::newRow("0x0006: N not available, E ABC") << 0x0006 << 2 << 1;
        QTest::newRow("0x000F: both code 3 -> CBA") << 0x000F << 0 << 0;
        QTest::newRow("0x0005: both ABC") << 0x0005 << 1 << 1;
        QTest::newRow("0x0000: both CBA") << 0x0000 << 0 << 0;
        QTest::newRow("0x0009: N ABC, E not available") << 0x0009 << 1 << 2;
        QTest::newRow("high bits ignored") << 0xFFF4 << 0 << 1;
    }
    void rotation() {
        QFETCH(int, reg22);
        QFETCH(int, rotN);
        QFETCH(int, rotE);
        GroupTestRig rig;
        C_M852_SourceInfo data;
        QVERIFY(data.DecodeReply(*reply(22, {qint16(reg22), 3, 4800, 2080, 600, 500, 3, 1})));
        QCOMPARE(int(data.ActRotation(0)), rotN);
        QCOMPARE(int(data.ActRotation(1)), rotE);
    }

    void decodeBlocks() {
        GroupTestRig rig;
        C_M852_SourceInfo d;
        QList<qint16> regs;
        for (int i = 0; i < 14; ++i) regs << qint16(1000 + i);
        regs[0] = -15;  // signed
        QVERIFY(d.DecodeReply(*reply(2, regs)));
        QCOMPARE(d.VoltAN(0), -1.5);
        QCOMPARE(d.VoltBN(0), 100.1);
        QCOMPARE(d.VoltCN(0), 100.2);
        QCOMPARE(d.VoltAN(1), 100.3);
        QCOMPARE(d.VoltBN(1), 100.4);
        QCOMPARE(d.VoltCN(1), 100.5);
        QCOMPARE(d.VoltAB(0), 100.6);
        QCOMPARE(d.VoltBC(0), 100.7);
        QCOMPARE(d.VoltCA(0), 100.8);
        QCOMPARE(d.VoltAB(1), 100.9);
        QCOMPARE(d.VoltBC(1), 101.0);
        QCOMPARE(d.VoltCA(1), 101.1);
        QCOMPARE(d.Freq(0), 101.2);
        QCOMPARE(d.Freq(1), 101.3);

        QVERIFY(d.DecodeReply(*reply(22, {0, 0x0003, 4800, 2080, 600, 500, 3, 1})));
        QCOMPARE(int(d.ExpRotation()), 1);  // only bit 0 counts
        QCOMPARE(d.SysVolt(0), 480.0);
        QCOMPARE(d.SysVolt(1), 208.0);
        QCOMPARE(d.SysFreq(0), 60.0);
        QCOMPARE(d.SysFreq(1), 50.0);
        QCOMPARE(int(d.Phases(0)), 3);
        QCOMPARE(int(d.Phases(1)), 1);
        QCOMPARE(d.SysVolt(2), 0.0);  // slot 2 exists, never filled
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.SysVolt(3));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.VoltAN(-1));
    }

    void replyDecodingNothing() {
        GroupTestRig rig;
        C_M852_SourceInfo d;
        QVERIFY(d.DecodeReply(*reply(22, {0, 1, 4800, 4800, 600, 600, 3, 3})));
        // a reply starting at 23 is no block of this group
        QVERIFY(!d.DecodeReply(*reply(23, {0, 999, 999, 999, 999, 1, 1})));
        QCOMPARE(d.SysVolt(0), 480.0);
        QCOMPARE(int(d.Phases(1)), 3);
        // a reply shorter than its block: what was copied stays, the result is False
        QVERIFY(!d.DecodeReply(*reply(22, {0, 0, 2080})));
        QCOMPARE(d.SysVolt(0), 208.0);
        QCOMPARE(d.SysVolt(1), 480.0);
    }

    void setters() {
        GroupTestRig rig;
        C_M852_SourceInfo d;
        d.setSysVolt(0, 208.0);
        QCOMPARE(d.SysVolt(0), 208.0);
        QVERIFY_THROWS_EXCEPTION(OverflowError, d.setSysVolt(0, 3276.8));
        QCOMPARE(d.SysVolt(0), 208.0);  // unchanged
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, d.setPhases(3, 1));
    }

    // The two polls in order, then routing with a second group, a write whose reply redraws nothing.
    void pollingAndRouting() {
        GroupTestRig rig;
        C_M852_SourceInfo src;
        TinyGroup tiny;
        QSignalSpy srcSpy(&src, &CDataGroup::DataRefreshed);
        QSignalSpy tinySpy(&tiny, &CDataGroup::DataRefreshed);

        QCOMPARE(rig.manager().queueSize(), qint16(3));
        QCOMPARE(frameStart(rig.tick()), 2);   // Source Info block 2 sent
        QCOMPARE(frameStart(rig.tick()), 22);  // block 2 answered; block 22 sent
        QCOMPARE(srcSpy.count(), 1);
        QCOMPARE(tinySpy.count(), 0);
        QCOMPARE(frameStart(rig.tick()), 740);  // block 22 answered
        QCOMPARE(srcSpy.count(), 2);
        QCOMPARE(tinySpy.count(), 0);
        rig.tick();  // the other group's reply
        QCOMPARE(srcSpy.count(), 2);
        QCOMPARE(tinySpy.count(), 1);
        QCOMPARE(int(tiny.first), 0x0010);
        QCOMPARE(src.SysVolt(0), 480.0);
        QCOMPARE(src.VoltAB(0), 480.0);
    }

    // A reply to a write (here to a block starting where a read block starts, so only its function
    // tells it apart) raises no refresh.
    void writeReplyRedrawsNothing_data() {
        QTest::addColumn<bool>("sourceInfo");
        QTest::newRow("Source Info, registers 23-29") << true;
        QTest::newRow("write over a polled block") << false;
    }
    void writeReplyRedrawsNothing() {
        QFETCH(bool, sourceInfo);
        GroupTestRig rig;
        C_M852_SourceInfo src;
        TinyGroup tiny;
        CDataGroup& group = sourceInfo ? static_cast<CDataGroup&>(src) : tiny;
        QSignalSpy spy(&group, &CDataGroup::DataRefreshed);
        rig.cycle();
        QVERIFY(spy.count() >= 1);
        if (sourceInfo)
            src.setSysVolt(0, 208.0);
        else
            tiny.first = 77;
        group.SendSetup();
        // Send until the write goes out, then let its reply arrive.
        QByteArray frame;
        for (int i = 0; i < 5 && (frame.isEmpty() || frameFunction(frame) != 16); ++i) frame = rig.tick();
        QCOMPARE(frameFunction(frame), 16);
        QCOMPARE(frameStart(frame), sourceInfo ? 23 : 740);
        const int before = int(spy.count());
        QSignalSpy ready(&rig.manager(), &CMsgManager::MessageReady);
        rig.tick();
        QCOMPARE(ready.count(), 1);  // the write reply did arrive ...
        QCOMPARE(rig.manager().GetWaitingData().MsgType(), 16);
        QCOMPARE(spy.count(), before);  // ... and raised no refresh
        QCOMPARE(rig.image.valueOr(sourceInfo ? 24 : 740), quint16(sourceInfo ? 2080 : 77));
    }

    void closingRemovesPackets() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QCOMPARE(rig.manager().queueSize(), qint16(2));
        QMdiSubWindow* sub = rig.area().subWindowList().constFirst();
        QVERIFY(sub->close());
        // at once, not when the deferred deletion runs
        QCOMPARE(rig.manager().queueSize(), qint16(0));
        QCOMPARE(rig.windows().NumWindowsOpen(), 0);
        for (int i = 0; i < 3; ++i) QVERIFY(rig.tick().isEmpty());
    }

    void twoWindowsOfOneType() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QVERIFY(rig.windows().CreateWnd(3, 300, 300, 0));
        QCOMPARE(rig.manager().queueSize(), qint16(4));
        rig.area().subWindowList(QMdiArea::CreationOrder).constFirst()->close();
        // the survivor keeps polling
        QCOMPARE(rig.manager().queueSize(), qint16(2));
        auto* survivor = qobject_cast<DW_M852_SourceInfo*>(rig.windows().DisplayWindows().constFirst());
        QVERIFY(survivor);
        rig.image.set(24, 2080);
        rig.cycle();
        QCOMPARE(text(survivor, "lblSysVolt_1"), QStringLiteral("208"));
    }

    void display() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        QCOMPARE(w->windowTitle(), QStringLiteral("Source Info"));
        QCOMPARE(text(w, "lblVoltAB_1"), QStringLiteral("XXX.X"));  // placeholder until the first reply
        rig.image.set(22, 0x0006);
        rig.image.set(23, 0x0003);
        rig.image.set(25, 2083);
        rig.image.set(27, 500);
        rig.cycle();
        QCOMPARE(text(w, "lblVoltAB_1"), QStringLiteral("480.0"));
        QCOMPARE(text(w, "lblVoltAN_1"), QStringLiteral("277.1"));
        QCOMPARE(text(w, "lblVoltCA_2"), QStringLiteral("479.7"));
        QCOMPARE(text(w, "lblFreq_2"), QStringLiteral("60.0"));
        QCOMPARE(text(w, "lblPhases_1"), QStringLiteral("3"));
        QCOMPARE(text(w, "lblActRotation_1"), QStringLiteral("N/A"));
        QCOMPARE(text(w, "lblActRotation_2"), QStringLiteral("ABC"));
        QCOMPARE(text(w, "lblExpRotation_1"), QStringLiteral("ABC"));
        QCOMPARE(text(w, "lblExpRotation_2"), QStringLiteral("ABC"));
        QCOMPARE(text(w, "lblSysVolt_1"), QStringLiteral("480"));
        QCOMPARE(text(w, "lblSysVolt_2"), QStringLiteral("208"));  // 208.3 shown "0"
        QCOMPARE(text(w, "lblSysFreq_2"), QStringLiteral("50.0"));
    }

    void visibility_data() {
        QTest::addColumn<int>("phasesN");
        QTest::addColumn<int>("phasesE");
        QTest::newRow("both three-phase") << 3 << 3;
        QTest::newRow("N single, E three") << 1 << 3;
        QTest::newRow("N three, E single") << 3 << 1;
        QTest::newRow("both single-phase") << 1 << 1;
    }
    void visibility() {
        QFETCH(int, phasesN);
        QFETCH(int, phasesE);
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.image.set(28, quint16(phasesN));
        rig.image.set(29, quint16(phasesE));
        rig.cycle();
        const QStringList threePhaseRows = {"VoltAB", "VoltBC",      "VoltAN",     "VoltBN",
                                            "VoltCN", "ActRotation", "ExpRotation"};
        const QStringList alwaysRows = {"VoltCA", "Freq", "Phases", "SysVolt", "SysFreq"};
        const int phases[] = {0, phasesN, phasesE};
        for (int s : {1, 2}) {
            for (const QString& row : threePhaseRows) {
                auto* value = child<QLabel>(w, QStringLiteral("lbl%1_%2").arg(row).arg(s));
                QVERIFY(value);
                QCOMPARE(value->isVisibleTo(w), phases[s] != 1);
                if (auto* unit = w->findChild<QLabel*>(QStringLiteral("lblUnit%1_%2").arg(row).arg(s)))
                    QCOMPARE(unit->isVisibleTo(w), phases[s] != 1);
            }
            for (const QString& row : alwaysRows)
                QVERIFY(child<QLabel>(w, QStringLiteral("lbl%1_%2").arg(row).arg(s))->isVisibleTo(w));
        }
        const bool bothSingle = phasesN == 1 && phasesE == 1;
        for (const QString& row : threePhaseRows)
            QCOMPARE(child<QLabel>(w, "lblTitle" + row)->isVisibleTo(w), !bothSingle);
        QCOMPARE(text(w, "lblTitleVoltCA"),
                 bothSingle ? QStringLiteral("Voltage L1 - L2") : QStringLiteral("Voltage C-A"));
    }

    // Setup opens on a double-click (background or label) only while connected, for a non-guest, and
    // once both blocks have been read since the window opened.
    void setupRules_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("onLabel");
        for (int role : {1, 2, 3, 4})
            for (bool connected : {true, false})
                for (bool read : {true, false})
                    for (bool onLabel : {true, false})
                        QTest::addRow("role %d %s %s %s", role, connected ? "connected" : "disconnected",
                                      read ? "read" : "unread", onLabel ? "label" : "background")
                            << role << connected << read << onLabel;
    }
    void setupRules() {
        QFETCH(int, role);
        QFETCH(bool, connected);
        QFETCH(bool, read);
        QFETCH(bool, onLabel);
        GroupTestRig rig(role);
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        if (read) rig.cycle();
        rig.setConnected(connected);
        const bool allowed = connected && role != 4 && read;
        QCOMPARE(CDisplayWindow::SetupAllowed(), connected && role != 4);
        QCOMPARE(w->CanRunSetup(), allowed);  // what the Setup menu item also asks
        QVERIFY(w->SetupAvailable());
        ScriptedUiServices ui;
        if (allowed)
            ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"),
                           [](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        if (onLabel) {
            QWidget* label = child<QLabel>(w, "lblSysVolt_1");
            QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
        } else {
            QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(1, 1));
        }
        QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::ExecDialog).size(), allowed ? 1 : 0);
        QVERIFY(ui.allConsumed());
    }

    // Before the first reply the dialog would offer 0 V, 50 Hz, 1 phase and CBA, and OK would write
    // them: no way into it until both blocks are read, and then it shows the controller's values.
    void noSetupFromUnreadFields() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        ScriptedUiServices ui;
        w->RunSetup();
        rig.tick();  // block 2 sent
        rig.tick();  // block 2 decoded, block 22 sent
        QVERIFY(!w->CanRunSetup());
        w->RunSetup();
        QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::ExecDialog).size(), 0);
        rig.tick();  // block 22 decoded
        QVERIFY(w->CanRunSetup());
        QString shown;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [&](QDialog& d) {
            shown = d.findChild<QLineEdit*>("txtSysVoltage_0")->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(shown, QStringLiteral("480"));
        QVERIFY(ui.allConsumed());
    }

    // 4800 shows 480; 208 writes 2080; OK writes registers 23..29 with register 23 as 0 or 1.
    void dialogWrites() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.image.set(23, 0x0003);
        rig.image.set(25, 2400);
        rig.cycle();
        ScriptedUiServices ui;
        QString shownN, shownE;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [&](QDialog& d) {
            shownN = d.findChild<QLineEdit*>("txtSysVoltage_0")->text();
            shownE = d.findChild<QLineEdit*>("txtSysVoltage_1")->text();
            if (!d.findChild<QRadioButton*>("optFreq60_0")->isChecked()) return int(QDialog::Rejected);
            if (!d.findChild<QRadioButton*>("optRotateABC")->isChecked()) return int(QDialog::Rejected);
            ScriptedUiServices::setText(d, "txtSysVoltage_0", "208");
            d.findChild<QRadioButton*>("optFreq50_1")->setChecked(true);
            d.findChild<QRadioButton*>("optPhases1_1")->setChecked(true);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QCOMPARE(shownN, QStringLiteral("480"));
        QCOMPARE(shownE, QStringLiteral("240"));
        rig.cycle();
        QCOMPARE(rig.image.valueOr(23), quint16(1));
        QCOMPARE(rig.image.valueOr(24), quint16(2080));
        QCOMPARE(rig.image.valueOr(25), quint16(2400));
        QCOMPARE(rig.image.valueOr(26), quint16(600));
        QCOMPARE(rig.image.valueOr(27), quint16(500));
        QCOMPARE(rig.image.valueOr(28), quint16(3));
        QCOMPARE(rig.image.valueOr(29), quint16(1));
        rig.cycle();
        QCOMPARE(text(w, "lblSysVolt_1"), QStringLiteral("208"));
    }

    void dialogKeepsUnconvertibleVoltage_data() {
        QTest::addColumn<QString>("entered");
        QTest::newRow("not a number") << "4a0";
        QTest::newRow("empty") << "";
        QTest::newRow("beyond the register") << "3276.8";
    }
    void dialogKeepsUnconvertibleVoltage() {
        QFETCH(QString, entered);
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [&](QDialog& d) {
            d.findChild<QLineEdit*>("txtSysVoltage_0")->setText(entered);
            ScriptedUiServices::setText(d, "txtSysVoltage_1", "240");
            d.findChild<QRadioButton*>("optFreq50_0")->setChecked(true);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        rig.cycle();
        QCOMPARE(rig.image.valueOr(24), quint16(4800));  // kept
        QCOMPARE(rig.image.valueOr(25), quint16(2400));  // the rest is written
        QCOMPARE(rig.image.valueOr(26), quint16(500));
    }

    // An invalid box turns light red and keeps the focus; OK does nothing while it is invalid.
    void invalidBoxKeepsFocus() {
        GroupTestRig rig;
        TinyGroup data;
        data.first = 50;
        TinyDialog dialog;
        dialog.FillFromData(data);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.ranged->setFocus();
        QTRY_VERIFY(dialog.ranged->hasFocus());
        dialog.ranged->setText("101");
        QTest::keyClick(dialog.ranged, Qt::Key_Tab);
        QTRY_VERIFY(dialog.ranged->hasFocus());
        QCOMPARE(BackColor(dialog.ranged), QColor(255, 128, 128));
        const qint16 queued = rig.manager().queueSize();
        dialog.cmdOK()->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(rig.manager().queueSize(), queued);
        QCOMPARE(int(data.first), 50);

        dialog.ranged->setText("100");
        QTest::keyClick(dialog.ranged, Qt::Key_Tab);
        QTRY_VERIFY(dialog.other->hasFocus());
        QCOMPARE(BackColor(dialog.ranged), QColor(255, 255, 255));
        dialog.cmdOK()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(int(data.first), 100);
        QCOMPARE(rig.manager().queueSize(), qint16(queued + 1));  // the write
    }

    // Cancel writes nothing and unloads the dialog (it is owned by the main window, not the display
    // window); the next Setup loads a fresh one, filled from the data object again, not the text
    // left in the cancelled one.
    void cancelWritesNothing() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.cycle();
        const auto dialogs = [&] { return rig.mainWindow().findChildren<CSetupDialog*>(); };
        QCOMPARE(dialogs().size(), 1);  // loaded hidden with the window, under its owner
        QPointer<CSetupDialog> first = dialogs().constFirst();
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtSysVoltage_0", "208");
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        const qint16 queued = rig.manager().queueSize();
        w->RunSetup();
        QCOMPARE(rig.manager().queueSize(), queued);
        QVERIFY(first.isNull());      // the cancelled dialog is gone
        QVERIFY(dialogs().isEmpty());  // and nothing else is left under the owner

        QString shown;
        bool ownedByMain = false;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [&](QDialog& d) {
            ownedByMain = d.parentWidget() == &rig.mainWindow();
            shown = d.findChild<QLineEdit*>("txtSysVoltage_0")->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QVERIFY(ownedByMain);
        QCOMPARE(shown, QStringLiteral("480"));
        QVERIFY(ui.allConsumed());
    }
};

QObject* makeSourceInfoTest() { return new tst_SourceInfo; }

#include "tst_SourceInfo.moc"
