#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

// The data group framework on its own: freshness, one-off writes, the setup dialog's Cancel and the
// double-click targets of a display window, with a small group of two blocks.

namespace {

constexpr qint32 kTwoBlockWinID = 12;

class TwoBlockGroup : public CDataGroup {
public:
    static constexpr ReadBlock kReads[] = {{740, 2}, {750, 1}};
    static constexpr WriteBlock kWrites[] = {{16, 740, 2}};
    explicit TwoBlockGroup(CMsgManager* m = nullptr) : CDataGroup(kTwoBlockWinID, kReads, kWrites, m) {}
    qint16 first = 0, second = 0, third = 0;

protected:
    void DecodeBlock(int block, const Registers& r) override {
        if (block == 0) {
            first = r[0];
            second = r[1];
        } else {
            third = r[0];
        }
    }
    std::vector<qint16> EncodeBlock(int) const override { return {first, second}; }
};

// One validated box (1..100) and one free box.
class RangeDialog : public CSetupDialog {
public:
    explicit RangeDialog(QWidget* parent = nullptr) : CSetupDialog(parent) {
        setObjectName("SU_Range");
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
        ranged->setText(QString::number(static_cast<TwoBlockGroup&>(data).first));
    }
    void Commit(CDataGroup& data) override {
        static_cast<TwoBlockGroup&>(data).first = qint16(ranged->text().toInt());
    }
};

// A window whose frame opens the setup dialog on a double-click and whose list does not.
class FramedWindow : public CDisplayWindow {
public:
    explicit FramedWindow(std::unique_ptr<TwoBlockGroup> data) : CDisplayWindow(std::move(data)) {
        auto* layout = new QVBoxLayout(this);
        label = new QLabel("value", this);
        label->setObjectName("lblValue");
        frame = new QGroupBox("Frame", this);
        frame->setObjectName("fraFrame");
        frame->setMinimumSize(200, 80);
        list = new QListWidget(this);
        list->setObjectName("lstItems");
        list->addItem("item");
        layout->addWidget(label);
        layout->addWidget(frame);
        layout->addWidget(list);
    }
    bool SetupAvailable() const override { return true; }
    QLabel* label;
    QGroupBox* frame;
    QListWidget* list;

protected:
    void UpdateDisplay() override {}
    CSetupDialog* CreateSetupDialog(QWidget* owner) override { return new RangeDialog(owner); }
    QList<QWidget*> SetupTargets() const override {
        QList<QWidget*> t = CDisplayWindow::SetupTargets();
        t.append(frame);
        return t;
    }
};

// A function-3 reply of `data` from `start`, as the message manager hands it over.
const CMsgPacketNode& readReply(qint16 start, const QList<qint16>& data) {
    static PacketPtr p;
    p = std::make_shared<CMsgPacketNode>();
    p->setStartingReg(start);
    p->setMsgType(3);
    p->setNumReg(qint16(data.size()));
    for (int i = 0; i < data.size(); ++i) p->setData(i, data.at(i));
    return *p;
}

int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }
int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }

}  // namespace

class tst_Framework : public QObject {
    Q_OBJECT
private slots:
    // Fresh once every read block has been decoded; a short reply or a reply of no block does not
    // count; MarkAllStale (Connect, Disconnect) makes every group of that manager wait again.
    void freshness() {
        GroupTestRig rig;
        TwoBlockGroup g;
        QVERIFY(!g.IsFresh());
        QVERIFY(!g.DecodeReply(readReply(740, {1})));     // short: block 740 has two registers
        QVERIFY(!g.DecodeReply(readReply(745, {1, 2})));  // no such block
        QVERIFY(g.DecodeReply(readReply(740, {1, 2})));
        QVERIFY(!g.IsFresh());  // block 750 not yet
        QVERIFY(g.DecodeReply(readReply(750, {3})));
        QVERIFY(g.IsFresh());

        CMsgManager other;
        CDataGroup::MarkAllStale(&other);
        QVERIFY(g.IsFresh());  // another manager's link says nothing about this group
        CDataGroup::MarkAllStale(&rig.manager());
        QVERIFY(!g.IsFresh());
        QCOMPARE(int(g.first), 1);  // the fields stay; they only no longer count as read
        QVERIFY(g.DecodeReply(readReply(750, {3})));
        QVERIFY(!g.IsFresh());
        QVERIFY(g.DecodeReply(readReply(740, {1, 2})));
        QVERIFY(g.IsFresh());
    }

    // Freshness comes from the poll itself: replies routed to the group by the message manager.
    void freshFromPolls() {
        GroupTestRig rig;
        TwoBlockGroup g;
        rig.image.set(740, 7);
        rig.tick();  // sends 740
        QVERIFY(!g.IsFresh());
        rig.tick();  // 740's reply decoded, sends 750
        QVERIFY(!g.IsFresh());
        rig.tick();  // 750's reply decoded
        QVERIFY(g.IsFresh());
        QCOMPARE(int(g.first), 7);
    }

    void writeRegisters_data() {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<qint16>>("values");
        QTest::newRow("one value, function 6") << 6 << 900 << QList<qint16>{-4};
        QTest::newRow("several, function 16") << 16 << 900 << QList<qint16>{1, -2, 3};
        QTest::newRow("one, function 16") << 16 << 900 << QList<qint16>{5};
        QList<qint16> longest(123);
        for (int i = 0; i < 123; ++i) longest[i] = qint16(i);
        QTest::newRow("123 values, the longest frame") << 16 << 150 << longest;
    }
    // One frame with the function, start and values asked for, sent once; its reply is routed with
    // the group's WinID and redraws nothing.
    void writeRegisters() {
        QFETCH(int, function);
        QFETCH(int, start);
        QFETCH(QList<qint16>, values);
        GroupTestRig rig;
        TwoBlockGroup g;
        rig.cycle();  // the two polls once round
        const qint16 queued = rig.manager().queueSize();
        QSignalSpy routed(&rig.manager(), &CMsgManager::MessageReady);
        QSignalSpy refreshed(&g, &CDataGroup::DataRefreshed);
        g.WriteRegisters(function, qint16(start), std::vector<qint16>(values.begin(), values.end()));
        QCOMPARE(rig.manager().queueSize(), qint16(queued + 1));

        QList<QByteArray> writes;
        for (int i = 0; i < 6; ++i) {
            const QByteArray f = rig.tick();
            if (!f.isEmpty() && frameFunction(f) != 3) writes << f;
        }
        QCOMPARE(writes.size(), 1);  // sent once, never repeated
        const QByteArray& f = writes.constFirst();
        QCOMPARE(frameFunction(f), function);
        QCOMPARE(frameStart(f), start);
        if (function == 6) {
            QCOMPARE(qint16((quint8(f.at(4)) << 8) | quint8(f.at(5))), values.constFirst());
        } else {
            QCOMPARE(int((quint8(f.at(4)) << 8) | quint8(f.at(5))), int(values.size()));
            for (int i = 0; i < values.size(); ++i)
                QCOMPARE(qint16((quint8(f.at(7 + 2 * i)) << 8) | quint8(f.at(8 + 2 * i))), values.at(i));
        }
        for (int i = 0; i < values.size(); ++i) QCOMPARE(qint16(rig.image.valueOr(start + i)), values.at(i));
        QCOMPARE(rig.manager().queueSize(), queued);
        // Every reply of this run (polls and the write) came back under the group's WinID.
        QVERIFY(routed.count() >= 2);
        for (const QList<QVariant>& r : routed) QCOMPARE(r.first().toInt(), kTwoBlockWinID);
        for (const QList<QVariant>& r : refreshed) QCOMPARE(r.first().toInt(), kTwoBlockWinID);
    }

    void writeRegistersRefusesBadShapes_data() {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::newRow("function 6, two values") << 6 << 1350 << 2;
        QTest::newRow("function 6, no value") << 6 << 1350 << 0;
        QTest::newRow("function 16, no value") << 16 << 900 << 0;
        QTest::newRow("function 16, 124 values") << 16 << 900 << 124;
        QTest::newRow("function 3 is a read") << 3 << 900 << 1;
        QTest::newRow("unknown function") << 5 << 900 << 1;
        QTest::newRow("register 0") << 16 << 0 << 1;
        QTest::newRow("negative register") << 6 << -5 << 1;
    }
    void writeRegistersRefusesBadShapes() {
        QFETCH(int, function);
        QFETCH(int, start);
        QFETCH(int, count);
        GroupTestRig rig;
        TwoBlockGroup g;
        const qint16 queued = rig.manager().queueSize();
        QVERIFY_THROWS_EXCEPTION(
            ComponentError,
            g.WriteRegisters(function, qint16(start), std::vector<qint16>(std::size_t(count), 1)));
        QCOMPARE(rig.manager().queueSize(), queued);
    }

    // A real click on Cancel (press, events, release) while an invalid box holds the focus closes the
    // dialog and writes nothing; a click on OK in the same state still does nothing.
    void cancelWhileInvalid() {
        GroupTestRig rig;
        TwoBlockGroup data;
        data.first = 50;
        RangeDialog dialog;
        dialog.FillFromData(data);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.ranged->setFocus();
        QTRY_VERIFY(dialog.ranged->hasFocus());
        dialog.ranged->setText("101");
        QTest::keyClick(dialog.ranged, Qt::Key_Tab);
        QTRY_VERIFY(dialog.ranged->hasFocus());
        QCOMPARE(BackColor(dialog.ranged), kInvalidBackColor);
        const qint16 queued = rig.manager().queueSize();

        // OK by mouse: the box takes the focus back and nothing is committed.
        const QPoint okAt = dialog.cmdOK()->rect().center();
        QTest::mousePress(dialog.cmdOK(), Qt::LeftButton, {}, okAt);
        QCoreApplication::processEvents();
        QTest::mouseRelease(dialog.cmdOK(), Qt::LeftButton, {}, okAt);
        QCoreApplication::processEvents();
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(dialog.ranged->hasFocus());
        QCOMPARE(int(data.first), 50);

        // Cancel by mouse, perfectly still: closes.
        const QPoint cancelAt = dialog.cmdCancel()->rect().center();
        QTest::mousePress(dialog.cmdCancel(), Qt::LeftButton, {}, cancelAt);
        QCoreApplication::processEvents();
        QTest::mouseRelease(dialog.cmdCancel(), Qt::LeftButton, {}, cancelAt);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(int(data.first), 50);
        QCOMPARE(rig.manager().queueSize(), queued);
    }

    void doubleClickTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("label") << "lblValue" << true;
        QTest::newRow("frame") << "fraFrame" << true;
        QTest::newRow("background") << "" << true;
        QTest::newRow("list keeps its own double-click") << "lstItems" << false;
    }
    // The window names its targets once; the base opens the setup dialog from each of them, and from
    // none of them before the group has been read.
    void doubleClickTargets() {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        GroupTestRig rig(3);
        auto data = std::make_unique<TwoBlockGroup>();
        TwoBlockGroup* g = data.get();
        FramedWindow w(std::move(data));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget* on = target.isEmpty() ? &w : w.findChild<QWidget*>(target);
        QVERIFY(on);
        const QPoint at = target.isEmpty() ? QPoint(1, 1) : on->rect().center();
        QWidget* receiver = target == "lstItems" ? static_cast<QListWidget*>(on)->viewport() : on;

        ScriptedUiServices ui;
        QTest::mouseDClick(receiver, Qt::LeftButton, {}, at);  // not read yet: refused
        QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::ExecDialog).size(), 0);

        QVERIFY(g->DecodeReply(readReply(740, {1, 2})));
        QVERIFY(g->DecodeReply(readReply(750, {3})));
        if (opens) ui.queueDialog([](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        QTest::mouseDClick(receiver, Qt::LeftButton, {}, at);
        QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::ExecDialog).size(), opens ? 1 : 0);
        QVERIFY(ui.allConsumed());
    }
};

QObject* makeFrameworkTest() { return new tst_Framework; }

#include "tst_Framework.moc"
