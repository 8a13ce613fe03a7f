#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "GroupTestRig.h"
#include "NipTestHelpers.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/InputValidation.h"
#include "groups/nip/C_M852_NIP.h"
#include "groups/nip/DW_M852_NIP.h"

using namespace niptest;

namespace {

CDisplayWindow* openNip(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(C_M852_NIP::kWinID, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

}  // namespace

class tst_Nip : public QObject {
    Q_OBJECT
private slots:
    // The window shows the address and the rate of the code; a code outside the table is named as
    // such. Parity and stop bits are fixed texts; address and rate show "---" until the first reply.
    void display_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1") << 1 << "300";
        QTest::newRow("4") << 4 << "4800";
        QTest::newRow("5") << 5 << "9600";
        QTest::newRow("6") << 6 << "19200";
        QTest::newRow("7") << 7 << "38400";
        QTest::newRow("8") << 8 << "57600";
        QTest::newRow("0") << 0 << "Unknown (code 0)";
        QTest::newRow("9") << 9 << "Unknown (code 9)";
        QTest::newRow("0xFFFF") << 0xFFFF << "Unknown (code -1)";
    }
    void display() {
        QFETCH(int, code);
        QFETCH(QString, shown);
        GroupTestRig rig;
        CDisplayWindow* w = openNip(rig);
        QVERIFY(w);
        QCOMPARE(labelText(w, "lblAddr"), QStringLiteral("---"));
        QCOMPARE(labelText(w, "lblBaudRate"), QStringLiteral("---"));
        rig.image.set(1000, 17);
        rig.image.set(1001, quint16(code));
        rig.cycle();
        QCOMPARE(labelText(w, "lblAddr"), QStringLiteral("17"));
        QCOMPARE(labelText(w, "lblBaudRate"), shown);
        QCOMPARE(labelText(w, "lblParity"), QStringLiteral("none"));
        QCOMPARE(labelText(w, "lblStopBits"), QStringLiteral("1"));
    }

    // What the dialog opens with: the address only when it is a slave address (1 to 247), the list
    // entry only for codes 5 and 6.
    void fill_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("addrText");
        QTest::addColumn<QString>("baudText");  // selected entry, empty for none
        QTest::newRow("246, 9600") << 246 << 5 << "246"
                                   << "9600";
        QTest::newRow("247, 19200") << 247 << 6 << "247"
                                    << "19200";
        QTest::newRow("1, 19200") << 1 << 6 << "1"
                                  << "19200";
        QTest::newRow("0, 57600") << 0 << 8 << ""
                                  << "";
        QTest::newRow("248, 4800") << 248 << 4 << ""
                                   << "";
        QTest::newRow("0xFFFF, 0") << 0xFFFF << 0 << ""
                                   << "";
    }
    void fill() {
        QFETCH(int, address);
        QFETCH(int, code);
        QFETCH(QString, addrText);
        QFETCH(QString, baudText);
        GroupTestRig rig(2);
        CDisplayWindow* w = openNip(rig);
        rig.image.set(1000, quint16(address));
        rig.image.set(1001, quint16(code));
        rig.cycle();
        QVERIFY(w->CanRunSetup());
        ScriptedUiServices ui;
        QString typed, selected;
        int index = -2;
        ui.queueDialog(QStringLiteral("SU_M852_NIP"), [&](QDialog& d) {
            typed = d.findChild<QLineEdit*>("txtAddr")->text();
            auto* cbo = d.findChild<QComboBox*>("cboBaudRate");
            index = cbo->currentIndex();
            selected = cbo->currentText();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(typed, addrText);
        QCOMPARE(selected, baudText);
        QCOMPARE(index >= 0, !baudText.isEmpty());
        QVERIFY(flushWrites(rig).isEmpty());  // Cancel writes nothing
    }

    // OK writes 1000-1003 as address, code, 1, 1 (whatever 1002 and 1003 held) for an address of 1
    // to 247; any other text keeps the dialog open, red, and writes nothing. No baud-rate selection
    // keeps the controller's code.
    void ok_data() {
        QTest::addColumn<int>("storedCode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosen");  // list entry chosen, -1 = leave as opened
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("code");
        QTest::newRow("246, 9600") << 6 << "246" << 0 << true << 246 << 5;
        QTest::newRow("247 accepted") << 5 << "247" << 1 << true << 247 << 6;
        QTest::newRow("1 accepted") << 5 << "1" << -1 << true << 1 << 5;
        QTest::newRow("0 refused") << 5 << "0" << -1 << false << 0 << 0;
        QTest::newRow("248 refused") << 5 << "248" << -1 << false << 0 << 0;
        QTest::newRow("empty refused") << 5 << "" << 1 << false << 0 << 0;
        QTest::newRow("code 8 kept without a selection") << 8 << "12" << -1 << true << 12 << 8;
        QTest::newRow("code 8 replaced by a choice") << 8 << "12" << 1 << true << 12 << 6;
    }
    void ok() {
        QFETCH(int, storedCode);
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        QFETCH(bool, written);
        QFETCH(int, address);
        QFETCH(int, code);
        GroupTestRig rig(1);
        CDisplayWindow* w = openNip(rig);
        rig.image.set(1000, 3);
        rig.image.set(1001, quint16(storedCode));
        rig.image.set(1002, 7);  // whatever the controller says here, 1 goes back
        rig.image.set(1003, 0);
        rig.cycle();
        ScriptedUiServices ui;
        int result = -1;
        bool stillOpen = false;
        QColor back;
        ui.queueDialog(QStringLiteral("SU_M852_NIP"), [&](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("txtAddr");
            box->setFocus();
            box->setText(typed);
            if (chosen >= 0) d.findChild<QComboBox*>("cboBaudRate")->setCurrentIndex(chosen);
            result = ScriptedUiServices::click(d, "cmdOK");
            stillOpen = d.isVisible();
            back = BackColor(box);
            if (stillOpen) ScriptedUiServices::click(d, "cmdCancel");
            return result;
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(stillOpen, !written);
        QCOMPARE(result == QDialog::Accepted, written);
        QCOMPARE(back, written ? kValidBackColor : kInvalidBackColor);
        const QList<Write> writes = flushWrites(rig);
        if (!written) {
            QVERIFY(writes.isEmpty());
            return;
        }
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.at(0), (Write{16, 1000, {quint16(address), quint16(code), 1, 1}}));
        QCOMPARE(rig.image.valueOr(1002), quint16(1));
        QCOMPARE(rig.image.valueOr(1000), quint16(address));
    }

    // The up/down control steps within 1 to 247 and starts from 1 in an empty box.
    void upDown() {
        GroupTestRig rig;
        CDisplayWindow* w = openNip(rig);
        rig.image.set(1000, 246);
        rig.cycle();
        ScriptedUiServices ui;
        QStringList seen;
        ui.queueDialog([&](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("txtAddr");
            auto* up = d.findChild<QToolButton*>("updAddrUp");
            auto* down = d.findChild<QToolButton*>("updAddrDown");
            up->click();
            seen << box->text();
            up->click();
            seen << box->text();
            box->clear();
            up->click();
            seen << box->text();
            down->click();
            seen << box->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(seen, (QStringList{"247", "247", "1", "1"}));
    }

    // The data class alone: decoding ignores 1002-1003, a code that does not fit a register is refused.
    void dataClass() {
        GroupTestRig rig;
        C_M852_NIP d;
        auto reply = std::make_shared<CMsgPacketNode>();
        reply->setStartingReg(1000);
        reply->setMsgType(3);
        for (int i = 0; i < 4; ++i) reply->setData(i, qint16(i == 0 ? 9 : i == 1 ? 7 : 555));
        QVERIFY(d.DecodeReply(*reply));
        QCOMPARE(int(d.NodeAddress()), 9);
        QCOMPARE(d.BaudRateCode(), 7);
        QVERIFY_THROWS_EXCEPTION(OverflowError, d.setBaudRateCode(70000));
        QCOMPARE(d.BaudRateCode(), 7);
    }
};

QObject* makeNipTest() { return new tst_Nip; }

#include "tst_Nip.moc"
