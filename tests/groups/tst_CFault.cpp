// Common alarm group: slot decoding and encoding, the window's text and the dialog's two lists.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "base/StringTable.h"
#include "groups/CDisplayWindow.h"
#include "groups/cfault/C_M852_CFault.h"

using namespace grouptest;

namespace {

CDisplayWindow* openWindow(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(8, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

// Slots 0..44 hold events 10..54; `assigned` lists the slots with bit 15.
void loadSlots(GroupTestRig& rig, const QList<int>& assigned) {
    for (int i = 0; i < 45; ++i) rig.image.set(800 + i, quint16((10 + i) | (assigned.contains(i) ? 0x8000 : 0)));
}

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int r = 0; r < list->count(); ++r) out << list->item(r)->text();
    return out;
}

bool enabled(QDialog& d, const char* name) { return d.findChild<QPushButton*>(name)->isEnabled(); }

}  // namespace

class tst_CFault : public QObject {
    Q_OBJECT
private slots:
    // 0x8041 is slot assigned with event 65, and goes back as 0x8041; OK without a change writes the
    // block as the controller holds it.
    void roundTrip() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        loadSlots(rig, {3, 44});
        rig.image.set(805, 0x8041);
        rig.image.set(806, 0x7FFF);  // unassigned, a code without a text
        rig.cycle();
        auto& d = static_cast<C_M852_CFault&>(w->Data());
        QVERIFY(d.AlarmAssigned(5));
        QCOMPARE(d.AlarmEventCode(5), 65);
        QVERIFY(!d.AlarmAssigned(6));
        QCOMPARE(d.AlarmEventCode(6), 0x7FFF);
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.AlarmAssigned(45));
        QList<quint16> held;
        for (int i = 0; i < 45; ++i) held << rig.image.valueOr(800 + i);
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_CFault", [](QDialog& dlg) { return ScriptedUiServices::click(dlg, "cmdOK"); });
        rig.host.sent.clear();
        w->RunSetup();
        rig.cycle();
        const QList<QByteArray> writes = writesOf(rig.host.sent);
        QCOMPARE(writes.size(), 1);
        QCOMPARE(frameStart(writes[0]), 800);
        QCOMPARE(frameValues(writes[0]), held);
        QCOMPARE(frameValues(writes[0]).at(5), quint16(0x8041));
    }

    void windowText() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig);
        auto* box = w->findChild<QPlainTextEdit*>("txtCommonFaults");
        loadSlots(rig, {});
        rig.cycle();
        QCOMPARE(box->toPlainText(), QString());
        loadSlots(rig, {2, 0});
        rig.image.set(844, 0x8000 | 65);
        rig.cycle();
        QCOMPARE(box->toPlainText(), StringTable::text(3010) + "\n" + StringTable::text(3012) + "\n" + StringTable::text(3065));
    }

    // Buttons follow the lists from the start; moves keep slot numbers; OK assigns exactly the
    // slots in the assigned list.
    void dialogLists() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        loadSlots(rig, {1, 4});
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_CFault", [](QDialog& d) {
            [&] {
                auto* assigned = d.findChild<QListWidget*>("lstAssignedEvents");
                auto* avail = d.findChild<QListWidget*>("lstAvailEvents");
                QCOMPARE(texts(assigned), (QStringList{StringTable::text(3011), StringTable::text(3014)}));
                QCOMPARE(avail->count(), 43);
                // After filling: both lists have entries, so Select All and Clear All are on; nothing is
                // selected, so Add and Remove are off.
                for (const char* b : {"cmdSelectAssigned", "cmdClearAssigned", "cmdSelectAvailable", "cmdClearAvailable"})
                    QVERIFY2(enabled(d, b), b);
                QVERIFY(!enabled(d, "cmdAdd"));
                QVERIFY(!enabled(d, "cmdRemove"));

                // Select All on the assigned list, then Remove: the assigned list empties.
                d.findChild<QPushButton*>("cmdSelectAssigned")->click();
                QVERIFY(!enabled(d, "cmdSelectAssigned"));
                QVERIFY(enabled(d, "cmdClearAssigned"));
                QVERIFY(enabled(d, "cmdRemove"));
                d.findChild<QPushButton*>("cmdRemove")->click();
                QCOMPARE(assigned->count(), 0);
                QCOMPARE(avail->count(), 45);
                for (const char* b : {"cmdSelectAssigned", "cmdClearAssigned", "cmdRemove", "cmdAdd"}) QVERIFY2(!enabled(d, b), b);

                // Pick slots 7 and 2 (in list order: 2 first) and add them.
                for (int r = 0; r < avail->count(); ++r) {
                    const int slot = avail->item(r)->data(Qt::UserRole).toInt();
                    if (slot == 7 || slot == 2) avail->item(r)->setSelected(true);
                }
                QVERIFY(enabled(d, "cmdAdd"));
                d.findChild<QPushButton*>("cmdAdd")->click();
                QCOMPARE(texts(assigned), (QStringList{StringTable::text(3012), StringTable::text(3017)}));
                QVERIFY(enabled(d, "cmdSelectAssigned"));
                QVERIFY(enabled(d, "cmdClearAssigned"));
                QVERIFY(!enabled(d, "cmdAdd"));
            }();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        rig.cycle();
        const QList<QByteArray> writes = writesOf(rig.host.sent);
        QCOMPARE(writes.size(), 1);
        const QList<quint16> values = frameValues(writes[0]);
        for (int i = 0; i < 45; ++i)
            QCOMPARE(values[i], quint16((10 + i) | ((i == 2 || i == 7) ? 0x8000 : 0)));
    }

    void cancelWritesNothing() {
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_CFault", [](QDialog& d) {
            d.findChild<QPushButton*>("cmdSelectAvailable")->click();
            d.findChild<QPushButton*>("cmdAdd")->click();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        rig.host.sent.clear();
        w->RunSetup();
        rig.cycle();
        QVERIFY(writesOf(rig.host.sent).isEmpty());
    }
};

QObject* makeCFaultTest() { return new tst_CFault; }

#include "tst_CFault.moc"
