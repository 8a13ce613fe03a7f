// System information group: versions, device ID, text packing both ways, the dialog's boxes and
// what OK writes.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/sysinfo/C_M852_SysInfo.h"
#include "groups/sysinfo/DW_M852_SysInfo.h"

using namespace grouptest;

namespace {

CDisplayWindow* openWindow(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(14, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

std::vector<qint16> words(std::initializer_list<int> list) {
    std::vector<qint16> out;
    for (int v : list) out.push_back(qint16(quint16(v)));
    return out;
}

const char* const kBoxes[7] = {"txtDesignation", "txtDescription",   "txtBranch",       "txtLocation",
                               "txtSerialATS",   "txtSerialControl", "txtSerialContact"};
const int kStarts[7] = {1110, 1120, 1130, 1140, 1150, 1155, 1160};

}  // namespace

class tst_SysInfo : public QObject {
    Q_OBJECT
private slots:
    void versions_data() {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("controller 0x0203") << 1200 << 0x0203 << "lblControlVersion" << "2.03";
        QTest::newRow("controller 0x0A0C") << 1200 << 0x0A0C << "lblControlVersion" << "10.12";
        QTest::newRow("PIC 0x0203") << 1201 << 0x0203 << "lblPICVersion" << "2.3";
        QTest::newRow("module 0x0000") << 1202 << 0x0000 << "lblROB1Version" << "N/A";
        QTest::newRow("module 0x0012") << 1203 << 0x0012 << "lblROB2Version" << "1.2";
        QTest::newRow("module 0xAB12: high byte ignored") << 1204 << 0xAB12 << "lblROB3Version" << "1.2";
        QTest::newRow("module 0x0100: low byte 0") << 1205 << 0x0100 << "lblROB4Version" << "N/A";
        QTest::newRow("module 0x00F0") << 1205 << 0x00F0 << "lblROB4Version" << "15.0";
        QTest::newRow("device id 10") << 9999 << 10 << "lblDeviceID" << "0xA";
        QTest::newRow("device id 300") << 9999 << 300 << "lblDeviceID" << "0x12C";
        QTest::newRow("device id -1") << 9999 << 0xFFFF << "lblDeviceID" << "0xFFFF";
    }
    void versions() {
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig);
        QCOMPARE(labelText(w, "lblDeviceID"), QStringLiteral("---"));
        QCOMPARE(labelText(w, "lblDesignation"), QStringLiteral("---"));
        rig.image.set(reg, quint16(value));
        rig.cycle();
        QCOMPARE(labelText(w, label), shown);
    }

    void unpack() {
        const QString text = C_M852_SysInfo::UnpackText(words({0x4241, 0x0043, 0, 0, 0}));
        QCOMPARE(text.size(), 10);
        QCOMPARE(text.left(3), QStringLiteral("ABC"));
        QCOMPARE(text.mid(3), QString(7, QChar(0)));
        QCOMPARE(C_M852_SysInfo::ShownText(text), QStringLiteral("ABC"));
        // Bytes above 0x7F are one Latin-1 character each and come back unchanged.
        const auto latin = words({0xE9C4, 0x00FF});
        QCOMPARE(C_M852_SysInfo::UnpackText(latin), QStringLiteral(u"\u00C4\u00E9\u00FF") + QChar(0));
        QCOMPARE(C_M852_SysInfo::PackText(C_M852_SysInfo::UnpackText(latin), 2), latin);
    }

    void pack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("registers");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("ABC") << "ABC" << 5 << QList<int>{0x4241, 0x0043, 0, 0, 0};
        QTest::newRow("empty") << "" << 5 << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("20 characters fill ten registers")
            << "ABCDEFGHIJKLMNOPQRST" << 10
            << QList<int>{0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x504F, 0x5251, 0x5453};
        QTest::newRow("high byte above 0x7F") << QStringLiteral(u"a\u00FF") << 1 << QList<int>{0xFF61};
    }
    void pack() {
        QFETCH(QString, text);
        QFETCH(int, registers);
        QFETCH(QList<int>, expected);
        const std::vector<qint16> packed = C_M852_SysInfo::PackText(text, registers);
        QList<int> got;
        for (qint16 w : packed) got << int(quint16(w));
        QCOMPARE(got, expected);
        QVERIFY(!got.contains(0) || text.size() < 2 * registers);
    }

    // What the registers cannot hold is refused and the field keeps its text.
    void packRefusesWhatDoesNotFit() {
        GroupTestRig rig;
        C_M852_SysInfo data(&rig.manager());
        data.setTextField(C_M852_SysInfo::SerialATS, QStringLiteral("0123456789"));
        QVERIFY_THROWS_EXCEPTION(OverflowError, data.setTextField(C_M852_SysInfo::SerialATS, QStringLiteral("0123456789A")));
        QVERIFY_THROWS_EXCEPTION(OverflowError, data.setTextField(C_M852_SysInfo::SerialATS, QStringLiteral(u"\u20AC")));
        QCOMPARE(data.TextField(C_M852_SysInfo::SerialATS), QStringLiteral("0123456789"));
    }

    // Labels and boxes show a text up to its first 0 character; boxes take at most twice their
    // register count and only Latin-1 characters.
    void textsShownAndBoxesLimited() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        rig.image.set(1110, 0x4241);
        rig.image.set(1111, 0x0043);
        rig.image.set(1112, 0x5A5A);  // after the 0 byte: kept, not shown
        for (int r = 1113; r < 1120; ++r) rig.image.set(r, 0);
        rig.cycle();
        QCOMPARE(labelText(w, "lblDesignation"), QStringLiteral("ABC"));
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_SysInfo", [](QDialog& d) {
            [&] {
                auto* box = d.findChild<QLineEdit*>("txtDesignation");
                QCOMPARE(box->text(), QStringLiteral("ABC"));
                for (int t = 0; t < 7; ++t)
                    QCOMPARE(d.findChild<QLineEdit*>(kBoxes[t])->maxLength(), t < 4 ? 20 : 10);
                auto* serial = d.findChild<QLineEdit*>("txtSerialATS");
                serial->clear();
                serial->setFocus();
                // Typed one character at a time, as a keyboard would; the euro sign is no Latin-1 byte.
                for (const QChar c : QStringLiteral(u"AB\u20ACCDEFGHIJKLMN")) {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                    QApplication::sendEvent(serial, &press);
                }
                QCOMPARE(serial->text(), QStringLiteral("ABCDEFGHIJ"));
            }();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
    }

    void okWritesAllSevenBlocks_data() {
        QTest::addColumn<int>("role");
        QTest::newRow("role 1") << 1;
        QTest::newRow("role 3") << 3;
    }
    // OK writes all seven blocks in order. Edited boxes are packed from the box; untouched ones
    // write back the registers as read, bytes after a 0 included. Role 1 cannot edit serial numbers,
    // which are written back unchanged.
    void okWritesAllSevenBlocks() {
        QFETCH(int, role);
        GroupTestRig rig(role);
        CDisplayWindow* w = openWindow(rig);
        rig.image.set(1120, 0x4241);
        rig.image.set(1121, 0x5A00);  // "AB", 0, "Z"
        rig.cycle();
        QList<QList<quint16>> held;
        for (int t = 0; t < 7; ++t) {
            QList<quint16> regs;
            for (int r = 0; r < (t < 4 ? 10 : 5); ++r) regs << rig.image.valueOr(kStarts[t] + r);
            held << regs;
        }
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_SysInfo", [role](QDialog& d) {
            [&] {
                for (int t = 4; t < 7; ++t) QCOMPARE(d.findChild<QLineEdit*>(kBoxes[t])->isEnabled(), role != 1);
                ScriptedUiServices::setText(d, "txtLocation", QStringLiteral("ABC"));
            }();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        rig.cycle();
        const QList<QByteArray> writes = writesOf(rig.host.sent);
        QCOMPARE(writes.size(), 7);
        for (int t = 0; t < 7; ++t) {
            QCOMPARE(frameFunction(writes[t]), 16);
            QCOMPARE(frameStart(writes[t]), kStarts[t]);
            QList<quint16> expected = held[t];
            if (t == 3) expected = {0x4241, 0x0043, 0, 0, 0, 0, 0, 0, 0, 0};
            QCOMPARE(frameValues(writes[t]), expected);
        }
    }
};

QObject* makeSysInfoTest() { return new tst_SysInfo; }

#include "tst_SysInfo.moc"
