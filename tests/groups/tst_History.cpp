// Event texts, the event history group and its window, and the message stacks.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "base/StringTable.h"
#include "groups/history/C_M852_History.h"
#include "groups/history/DW_M852_History.h"
#include "groups/history/EventList.h"
#include "groups/datetime/PackedDate.h"
#include "groups/msglog/C_M852_MsgLog.h"
#include "groups/msglog/DW_M852_MsgLog.h"

namespace {

PacketPtr reply(qint16 start, const QList<qint16>& data) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setStartingReg(start);
    p->setMsgType(3);
    for (int i = 0; i < data.size(); ++i) p->setData(i, data.at(i));
    return p;
}

// 100 registers of one table block with one record set at `j` (0..19), the rest zero.
QList<qint16> tableBlock(int j, qint16 time, qint16 date, qint16 code, qint16 state) {
    QList<qint16> regs(100, 0);
    regs[5 * j] = time;
    regs[5 * j + 1] = date;
    regs[5 * j + 2] = code;
    regs[5 * j + 3] = state;
    regs[5 * j + 4] = 77;  // element 2: stored, never shown
    return regs;
}

QString label(QWidget* w, const char* name) {
    auto* l = w->findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

int frameStart(const QByteArray& f) { return ((quint8(f.at(2)) << 8) | quint8(f.at(3))) + 1; }
int frameFunction(const QByteArray& f) { return quint8(f.at(1)); }
int frameWord(const QByteArray& f, int at) { return (quint8(f.at(at)) << 8) | quint8(f.at(at + 1)); }

qint16 w16(unsigned v) { return static_cast<qint16>(static_cast<quint16>(v)); }

QList<int> range(int a, int b) {
    QList<int> r;
    for (int i = a; i <= b; ++i) r << i;
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

}  // namespace

class tst_History : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    // ---- event texts ---------------------------------------------------------------------------

    void tricky_texts_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("cleared");
        QTest::newRow("0 placeholder") << 0 << "DEBUG: Error Ref #3000"
                                       << "DEBUG: Error Ref #3500";
        QTest::newRow("1 Released") << 1 << "End Time Delay Button"
                                    << "End Time Delay Button Released";
        QTest::newRow("5 (off)") << 5 << "Service Required Reset"
                                 << "Service Required Reset (off)";
        QTest::newRow("7 Off") << 7 << "Maintenance DIP Switch"
                               << "Maintenance DIP Switch Off";
        QTest::newRow("20 placeholder") << 20 << "DEBUG: Error Ref #3020"
                                        << "DEBUG: Error Ref #3520";
        QTest::newRow("55 undefined") << 55 << "< Undefined >"
                                      << "< Undefined >";
        QTest::newRow("56 Prefered") << 56 << "Preferred Source Available"
                                     << "Prefered Source Not Available";
        QTest::newRow("58 Postion") << 58 << "Contactor in Preferred Position"
                                    << "Contactor Not in Preferred Postion";
        QTest::newRow("65 Cleared") << 65 << "Low Battery on Standby Source"
                                    << "Low Battery on Standby Source Cleared";
        QTest::newRow("70 Inactivate") << 70 << "Load Bank Activate"
                                       << "Load Bank is Inactivate";
        QTest::newRow("94 load shed") << 94 << "Load Control Output #0"
                                      << "Load Shed #0 Reconnected";
        QTest::newRow("102 load shed") << 102 << "Load Control Output #8"
                                       << "Load Shed #8 Reconnected";
        QTest::newRow("104 Off with blank") << 104 << "Modbus Controlled RDO #2"
                                            << "Modbus Controlled RDO #2 Off";
        QTest::newRow("105 no blank") << 105 << "Modbus Controlled RDO #3"
                                      << "Modbus Controlled RDO#3 Off";
        QTest::newRow("115 undefined") << 115 << "< Undefined >"
                                       << "< Undefined >";
        QTest::newRow("124 enable") << 124 << "3 Source System Disable"
                                    << "3 Source System Input Enable";
        QTest::newRow("141 N for E") << 141 << "Over Frequency Source E"
                                     << "Over Frequency Source N";
        QTest::newRow("150 N for E") << 150 << "Under Voltage L3-L1 Source E"
                                     << "Under Voltage L3-L1 Source N";
        QTest::newRow("163 (off)") << 163 << "In Phase Monitoring Terminated"
                                   << "In Phase Monitoring Terminated (off)";
        QTest::newRow("164 blank after #") << 164 << "DEBUG: Error Ref # 3164"
                                           << "DEBUG: Error Ref # 3664";
        QTest::newRow("168 blank after #") << 168 << "DEBUG: Error Ref # 3168"
                                           << "DEBUG: Error Ref # 3668";
        QTest::newRow("169 not a placeholder") << 169 << "Test Started"
                                               << "Test Ended";
        QTest::newRow("175 placeholder when cleared") << 175 << "Exercise Loaded Set"
                                                      << "DEBUG: Error Ref #3675";
        QTest::newRow("176 placeholder when cleared") << 176 << "Exercise Unloaded Set"
                                                      << "DEBUG: Error Ref #3676";
        QTest::newRow("189 On -> Off") << 189 << "100% LED On"
                                       << "100% LED Off";
        QTest::newRow("192 On -> Off") << 192 << "25% LED On"
                                       << "25% LED Off";
        QTest::newRow("223 Cleared") << 223 << "Modbus Force Transfer to Off"
                                     << "Modbus Force Transfer to Off Cleared";
        QTest::newRow("224 End") << 224 << "Modbus Peak Shave"
                                 << "Modbus Peak Shave End";
        QTest::newRow("225 End") << 225 << "Modbus System Test"
                                 << "Modbus System Test End";
        QTest::newRow("232 placeholder") << 232 << "DEBUG: Error Ref #3232"
                                         << "DEBUG: Error Ref #3732";
    }
    void tricky_texts() {
        QFETCH(int, code);
        QFETCH(QString, set);
        QFETCH(QString, cleared);
        QCOMPARE(StringTable::text(3000 + code), set);
        QCOMPARE(StringTable::text(3500 + code), cleared);
    }

    // Every code 0..232 against the rules: placeholders where no event is assigned, the four
    // suffix rules for the cleared texts, and no stray blanks anywhere.
    void text_table_rules() {
        QList<int> placeholders{0};
        for (auto [a, b] : std::initializer_list<std::pair<int, int>>{{17, 23},
                                                                      {39, 45},
                                                                      {48, 54},
                                                                      {108, 114},
                                                                      {125, 131},
                                                                      {151, 157},
                                                                      {164, 168},
                                                                      {177, 181},
                                                                      {194, 200},
                                                                      {203, 209},
                                                                      {219, 222},
                                                                      {226, 232}})
            placeholders << range(a, b);
        for (int code = 0; code <= 232; ++code) {
            const auto set = StringTable::lookup(3000 + code);
            const auto cleared = StringTable::lookup(3500 + code);
            QVERIFY2(set && cleared, qPrintable(QString::number(code)));
            QVERIFY2(!set->isEmpty() && *set == set->trimmed(), qPrintable(*set));
            QVERIFY2(!cleared->isEmpty() && *cleared == cleared->trimmed(), qPrintable(*cleared));
            const QString blank = code >= 164 && code <= 168 ? QStringLiteral(" ") : QString();
            if (placeholders.contains(code)) {
                QCOMPARE(*set, QStringLiteral("DEBUG: Error Ref #") + blank + QString::number(3000 + code));
                QCOMPARE(*cleared,
                         QStringLiteral("DEBUG: Error Ref #") + blank + QString::number(3500 + code));
            } else {
                QVERIFY2(!set->startsWith(QStringLiteral("DEBUG")), qPrintable(*set));
            }
        }
        const QList<std::pair<QString, QList<int>>> rules = {
            {" Released", range(1, 4)},
            {" (off)", range(5, 6) + range(12, 16) + range(24, 38) + range(46, 47) + QList<int>{132, 138} +
                           range(158, 163) + QList<int>{193} + range(201, 202) + range(210, 218)},
            {" Off", range(7, 11) + range(103, 104)},
            {" Cleared", QList<int>{65, 69} + range(71, 88) + range(90, 92) + QList<int>{116, 119} +
                             range(122, 123) + range(133, 134) + range(136, 137) + range(182, 188) +
                             QList<int>{223}},
        };
        for (const auto& [suffix, codes] : rules)
            for (int code : codes)
                QCOMPARE(StringTable::text(3500 + code), StringTable::text(3000 + code) + suffix);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(StringTable::text(3024 + k), QStringLiteral("I/O Module #%1 Lost Comms").arg(k + 1));
            QCOMPARE(StringTable::text(3081 + k),
                     StringTable::text(3075 + k).replace("Source N", "Source E"));
        }
    }

    // ---- PackedDate ----------------------------------------------------------------------------

    void packed_date_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QDate>("date");
        QTest::newRow("0 -> 30 Nov 1999") << 0 << QDate(1999, 11, 30);
        QTest::newRow("0x3989") << 0x3989 << QDate(2028, 12, 9);
        QTest::newRow("month 0 -> December before") << ((26 << 9) | (0 << 5) | 15) << QDate(2025, 12, 15);
        QTest::newRow("day 0 -> last of month before") << ((24 << 9) | (3 << 5) | 0) << QDate(2024, 2, 29);
        QTest::newRow("31 Feb rolls into March") << ((26 << 9) | (2 << 5) | 31) << QDate(2026, 3, 3);
        QTest::newRow("month 13 -> January after") << ((26 << 9) | (13 << 5) | 1) << QDate(2027, 1, 1);
        QTest::newRow("year 63") << ((63 << 9) | (12 << 5) | 31) << QDate(2063, 12, 31);
        QTest::newRow("year 64 (bit 15)") << ((64 << 9) | (1 << 5) | 1) << QDate(2064, 1, 1);
        QTest::newRow("year 127") << ((127 << 9) | (12 << 5) | 31) << QDate(2127, 12, 31);
    }
    void packed_date() {
        QFETCH(int, word);
        QFETCH(QDate, date);
        QCOMPARE(PackedDate::Decode(w16(unsigned(word))), date);
        if (date.year() >= 2000 && (word & 0x1F) && ((word >> 5) & 0xF) >= 1 && ((word >> 5) & 0xF) <= 12 &&
            date.day() == (word & 0x1F))
            QCOMPARE(int(quint16(PackedDate::Encode(date))), word);
    }

    // ---- event list lines ----------------------------------------------------------------------

    void list_lines_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("date");
        QTest::addColumn<QString>("line");  // empty: no line at all
        const int d = 0x3989;               // 9 December 2028
        QTest::newRow("example: code 2 set") << 2 << 1 << 605 << d << "10:05 12/09/2028    Test Button";
        QTest::newRow("code 0 skipped") << 0 << 1 << 605 << d << "";
        QTest::newRow("code 232 skipped") << 232 << 1 << 605 << d << "";
        QTest::newRow("code 1000 skipped") << 1000 << 1 << 605 << d << "";
        QTest::newRow("negative code skipped") << -1 << 1 << 605 << d << "";
        QTest::newRow("code 1 shown") << 1 << 1 << 0 << d << "00:00 12/09/2028    End Time Delay Button";
        QTest::newRow("code 231 shown")
            << 231 << 1 << 1439 << d << "23:59 12/09/2028    DEBUG: Error Ref #3231";
        QTest::newRow("state 0 cleared") << 2 << 0 << 605 << d << "10:05 12/09/2028    Test Button Released";
        QTest::newRow("state 2 cleared") << 2 << 2 << 605 << d << "10:05 12/09/2028    Test Button Released";
        QTest::newRow("state -1 cleared")
            << 2 << -1 << 605 << d << "10:05 12/09/2028    Test Button Released";
        QTest::newRow("placeholder 20")
            << 20 << 1 << 605 << d << "10:05 12/09/2028    DEBUG: Error Ref #3020";
        QTest::newRow("placeholder 166 cleared")
            << 166 << 0 << 605 << d << "10:05 12/09/2028    DEBUG: Error Ref # 3666";
        QTest::newRow("date word 0") << 135 << 1 << 605 << 0 << "10:05 11/30/1999    System Ready";
        QTest::newRow("date with bit 15 decodes")
            << 135 << 0 << 605 << ((70 << 9) | (3 << 5) | 15) << "10:05 03/15/2070    System Not Ready";
        QTest::newRow("time past midnight carries")
            << 135 << 1 << 1445 << d << "00:05 12/09/2028    System Ready";
    }
    void list_lines() {
        QFETCH(int, code);
        QFETCH(int, state);
        QFETCH(int, time);
        QFETCH(int, date);
        QFETCH(QString, line);
        GroupTestRig rig;
        C_M852_History h;
        // Once in the first block, once as record 99 (last of block 550): same line either way.
        QVERIFY(h.DecodeReply(
            *reply(150, tableBlock(3, qint16(time), w16(unsigned(date)), qint16(code), qint16(state)))));
        QVERIFY(h.DecodeReply(
            *reply(550, tableBlock(19, qint16(time), w16(unsigned(date)), qint16(code), qint16(state)))));
        QCOMPARE(int(h.EventCode(3)), code);
        QCOMPARE(int(h.EventCode(99)), code);
        QCOMPARE(int(h.EventData(99, 2)), 77);
        const QString expected = line.isEmpty() ? QString() : line + "\r\n" + line + "\r\n";
        QCOMPARE(EventList::Build(h), expected);
    }

    void list_order_and_accessors() {
        GroupTestRig rig;
        C_M852_History h;
        QCOMPARE(EventList::Build(h), QString());                                // all zero before any reply
        QVERIFY(h.DecodeReply(*reply(350, tableBlock(0, 60, 0x3989, 3, 1))));    // record 40
        QVERIFY(h.DecodeReply(*reply(250, tableBlock(19, 120, 0x3989, 4, 0))));  // record 39
        QCOMPARE(EventList::Build(h), QStringLiteral("02:00 12/09/2028    Lamp Test Button Released\r\n"
                                                     "01:00 12/09/2028    Exercise Button\r\n"));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)h.EventCode(100));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)h.EventTime(-1));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)h.EventData(0, 3));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)h.EventData(0, 0));
        // a short table reply: the records copied before the end stay, no refresh
        QList<qint16> shortBlock = tableBlock(0, 30, 0x3989, 2, 1);
        shortBlock.resize(12);
        QVERIFY(!h.DecodeReply(*reply(150, shortBlock)));
        QCOMPARE(int(h.EventCode(0)), 2);
    }

    // ---- last loss -----------------------------------------------------------------------------

    void durations_data() {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1,0 -> 65535") << 1 << 0 << 65535 << "1092:15";
        QTest::newRow("0,0xFFFF -> -1") << 0 << 0xFFFF << -1 << "0:01";
        QTest::newRow("0,125") << 0 << 125 << 125 << "2:05";
        QTest::newRow("0,1500") << 0 << 1500 << 1500 << "25:00";
        QTest::newRow("0,0") << 0 << 0 << 0 << "0:00";
        QTest::newRow("largest") << 0x7FFF << 0x7FFF << 2147418112 << "35790301:52";
        QTest::newRow("-1,0") << 0xFFFF << 0 << -65535 << "-1092:15";
        QTest::newRow("smallest: -2^31") << 0x8000 << 0x8000 << int(-2147483648LL) << "-35791394:08";
    }
    void durations() {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, minutes);
        QFETCH(QString, text);
        GroupTestRig rig;
        C_M852_History h;
        QVERIFY(h.DecodeReply(*reply(1012, {w16(unsigned(high)), w16(unsigned(low))})));
        QCOMPARE(h.LastLossDuration(), minutes);
        QCOMPARE(EventList::LastLossDurationText(h.LastLossDuration()), text);
    }

    void last_loss_time_and_date() {
        GroupTestRig rig;
        C_M852_History h;
        QCOMPARE(h.LastLossTime(), QTime(0, 0));
        QCOMPARE(h.LastLossDate(), QDate(2000, 1, 1));
        QVERIFY(h.DecodeReply(*reply(1010, {qint16(1500), w16(0x3989)})));
        QCOMPARE(h.LastLossTime(), QTime(1, 0));
        QCOMPARE(h.LastLossDate(), QDate(2028, 12, 9));
        QCOMPARE(EventList::LastLossTimeText(QTime(13, 5)), QStringLiteral("1:05 PM"));
        QCOMPARE(EventList::LastLossTimeText(QTime(0, 0)), QStringLiteral("12:00 AM"));
        QCOMPARE(EventList::LastLossTimeText(QTime(12, 30)), QStringLiteral("12:30 PM"));
        QCOMPARE(EventList::LastLossDateText(QDate(2028, 1, 9)), QStringLiteral("01/09/2028"));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(EventList::LastLossDateText(QDate(2028, 1, 9), german), QStringLiteral("01.09.2028"));
        QCOMPARE(EventList::ShortDate(QDate(2028, 1, 9), german), QStringLiteral("09.01.2028"));
        QCOMPARE(EventList::ShortTime(605, german), QStringLiteral("10:05"));
    }

    // The frame: placeholders before any reply; a refresh by a table block alone shows the initial
    // values; all-zero registers 1010-1013 show 30 November 1999.
    void last_loss_labels() {
        GroupTestRig rig(3);
        for (int r = 1010; r <= 1013; ++r) rig.image.set(r, 0);
        DW_M852_History w;
        QCOMPARE(label(&w, "lblTime"), QStringLiteral("HH:MM:SS"));
        QCOMPARE(label(&w, "lblDate"), QStringLiteral("MM/DD/YYYY"));
        QCOMPARE(label(&w, "lblDuration"), QStringLiteral("HH:MM"));
        QCOMPARE(frameStart(rig.tick()), 150);
        QCOMPARE(frameStart(rig.tick()), 250);  // the 150 reply arrived: one refresh
        QCOMPARE(label(&w, "lblTime"), QStringLiteral("12:00 AM"));
        QCOMPARE(label(&w, "lblDate"), QStringLiteral("01/01/2000"));
        QCOMPARE(label(&w, "lblDuration"), QStringLiteral("0:00"));
        rig.cycle();
        QCOMPARE(label(&w, "lblTime"), QStringLiteral("12:00 AM"));
        QCOMPARE(label(&w, "lblDate"), QStringLiteral("11/30/1999"));
        QCOMPARE(label(&w, "lblDuration"), QStringLiteral("0:00"));
    }

    // ---- the window ----------------------------------------------------------------------------

    void polls_in_order() {
        GroupTestRig rig;
        C_M852_History h;
        QSignalSpy spy(&h, &CDataGroup::DataRefreshed);
        const QList<int> starts{150, 250, 350, 450, 550, 1010, 1012};
        QCOMPARE(int(rig.manager().queueSize()), 7);
        for (int s : starts) QCOMPARE(frameStart(rig.tick()), s);
        rig.tick();
        QCOMPARE(spy.count(), 7);
        QVERIFY(h.AllBlocksDecoded());
    }

    // The list is rebuilt on every refresh but assigned only when it changed.
    void list_assigned_only_when_changed() {
        GroupTestRig rig(3);
        DW_M852_History w;
        auto* box = w.findChild<QPlainTextEdit*>("txtEvents");
        QVERIFY(box);
        QSignalSpy changes(box, &QPlainTextEdit::textChanged);
        rig.cycle();
        QVERIFY(!w.EventListText().isEmpty());
        const int afterFirst = int(changes.count());
        QVERIFY(afterFirst >= 1 && afterFirst <= 5);  // once per table block at most
        QCOMPARE(box->toPlainText().remove('\r').trimmed(),
                 QString(w.EventListText()).remove('\r').trimmed());
        rig.cycle();
        rig.cycle();
        QCOMPARE(int(changes.count()), afterFirst);
        // the list is exactly what the shared builder makes of the same data
        QCOMPARE(w.EventListText(), EventList::Build(static_cast<const C_M852_History&>(w.Data())));
    }

    void clear_roles_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("role 1") << 1 << false;
        QTest::newRow("role 2") << 2 << true;
        QTest::newRow("role 3") << 3 << true;
        QTest::newRow("role 4 (guest)") << 4 << false;
    }
    void clear_roles() {
        QFETCH(int, role);
        QFETCH(bool, enabled);
        GroupTestRig rig(role);
        DW_M852_History w;
        QCOMPARE(w.findChild<QPushButton*>("cmdClearHistory")->isEnabled(), enabled);
        QVERIFY(w.findChild<QPushButton*>("cmdSaveHistory")->isEnabled());
    }

    // Clear History asks first; No (the default) sends nothing, Yes queues one write of 1 to 1351.
    void clear_asks_first() {
        GroupTestRig rig(2);
        DW_M852_History w;
        rig.cycle();
        QVERIFY(!w.EventListText().isEmpty());
        ScriptedUiServices ui;
        ui.queueDialog("QMessageBox", [](QDialog& d) {
            auto& box = static_cast<QMessageBox&>(d);
            [&] {
                QCOMPARE(box.windowTitle(), QStringLiteral("WARNING"));
                QCOMPARE(box.icon(), QMessageBox::Warning);
                QCOMPARE(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::No));
                QCOMPARE(box.escapeButton(), box.button(QMessageBox::No));
                QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
            }();
            return ScriptedUiServices::click(d, "cmdNo");
        });
        const qint16 before = rig.manager().queueSize();
        QTest::mouseClick(w.findChild<QPushButton*>("cmdClearHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        QCOMPARE(rig.manager().queueSize(), before);
        rig.cycle();
        QVERIFY(!w.EventListText().isEmpty());

        ui.queueDialog("QMessageBox", [](QDialog& d) { return ScriptedUiServices::click(d, "cmdYes"); });
        QTest::mouseClick(w.findChild<QPushButton*>("cmdClearHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        QCOMPARE(rig.manager().queueSize(), qint16(before + 1));
        // The write goes out in turn with the polls: function 6, register 1351, value 1.
        bool sent = false;
        for (int i = 0; i < 8 && !sent; ++i) {
            const QByteArray f = rig.tick();
            if (f.size() >= 6 && frameFunction(f) == 6) {
                QCOMPARE(frameStart(f), 1351);
                QCOMPARE(frameWord(f, 4), 1);
                sent = true;
            }
        }
        QVERIFY(sent);
        QCOMPARE(rig.manager().queueSize(), before);  // sent once, not repeated
        rig.cycle();
        QCOMPARE(w.EventListText(), QString());  // the simulated controller erased its history
    }

    // The log file is the list text plus one CR LF and replaces an existing file whole.
    void save_history() {
        GroupTestRig rig(1);
        DW_M852_History w;
        rig.cycle();
        QTemporaryDir dir;
        const QString path = dir.filePath("events.log");
        writeFile(path, QByteArray(20000, 'x'));  // longer than the list: must not leave a tail
        ScriptedUiServices ui;
        ui.queueFile(path);
        QTest::mouseClick(w.findChild<QPushButton*>("cmdSaveHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        const ui::FileDialogRequest req =
            ui.callsOf(ScriptedUiServices::Kind::FileDialog).constFirst().fileRequest;
        QVERIFY(!req.open);
        QCOMPARE(req.title, QStringLiteral("Save Event Log"));
        QCOMPARE(req.defaultSuffix, QStringLiteral("log"));
        QCOMPARE(req.filters, QStringList({"Log Files (*.log)", "All Files (*.*)"}));
        QCOMPARE(req.selectedFilter, 0);
        QVERIFY(!req.confirmOverwrite);
        const QByteArray expected = (w.EventListText() + "\r\n").toUtf8();
        QVERIFY(expected.count("\r\n") > 10);
        QCOMPARE(readAll(path), expected);
        QVERIFY(expected.endsWith("\r\n\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"events.log"});  // no temp left

        // cancelled: nothing written, nothing shown
        ui.queueFile(std::nullopt);
        QTest::mouseClick(w.findChild<QPushButton*>("cmdSaveHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        QCOMPARE(ui.messages().size(), 0);
    }

    // A file that cannot be written: the Retry/Cancel box, Retry tries again.
    void save_history_error_box() {
        GroupTestRig rig(3);
        DW_M852_History w;
        ScriptedUiServices ui;
        QTemporaryDir dir;
        const QString path = dir.filePath("missing-folder/events.log");
        ui.queueFile(path);
        ui.queueMessage(ui::Answer::Retry, "Error #");
        ui.queueMessage(ui::Answer::Cancel, "Error #");
        QTest::mouseClick(w.findChild<QPushButton*>("cmdSaveHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        const auto boxes = ui.messages();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].title, QStringLiteral("Save History"));
        QCOMPARE(boxes[0].icon, ui::Icon::Critical);
        QCOMPARE(boxes[0].buttons, ui::Buttons::RetryCancel);
        QVERIFY2(boxes[0].text.startsWith("Error #75\n"), qPrintable(boxes[0].text));
        QVERIFY(!QFile::exists(path));
        try {
            w.WriteLogFile(path);
            QFAIL("no error raised");
        } catch (const ComponentError& e) {
            QCOMPARE(e.source(), QStringLiteral("DW_M852_History::WriteLogFile"));
        }
    }

    // A write that fails part-way (here: the file size limit) leaves the old log whole.
    void failed_write_keeps_old_log() {
#ifndef Q_OS_UNIX
        QSKIP("uses RLIMIT_FSIZE");
#else
        QTemporaryDir dir;
        const QString path = dir.filePath("good.log");
        const QByteArray good("10:05 12/09/2028    Test Button\r\n\r\n");
        writeFile(path, good);
        QString list;
        for (int i = 0; i < 200; ++i) list += QStringLiteral("10:05 12/09/2028    Test Button\r\n");

        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool raised = false;
        try {
            EventList::WriteLogFile(path, list);
        } catch (const ComponentError& e) {
            raised = true;
            QCOMPARE(e.number(), 57u);
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QVERIFY(raised);
        QCOMPARE(readAll(path), good);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"good.log"});
#endif
    }

    // The simulated controller logs a changed setting written over the line as event 138, once per
    // minute; a write of the value already held logs nothing.
    void simulator_logs_setting_changes() {
        GroupTestRig rig(3);
        auto code0 = [&rig] { return int(rig.image.valueOr(152)); };
        const int before = code0();
        QVERIFY(before != 138);
        auto write6 = [&rig](int reg, int value) {
            QByteArray body;
            body.append(char(1)).append(char(6));
            body.append(char((reg - 1) >> 8)).append(char((reg - 1) & 0xFF));
            body.append(char(value >> 8)).append(char(value & 0xFF));
            return rig.engine.handleFrame(sim::SlaveEngine::withCrc(body));
        };
        const quint16 held = rig.image.valueOr(24);
        QVERIFY(!write6(24, held).isEmpty());
        QCOMPARE(code0(), before);  // same value: nothing changed
        QVERIFY(!write6(24, held == 2080 ? 2400 : 2080).isEmpty());
        QCOMPARE(code0(), 138);
        QCOMPARE(int(rig.image.valueOr(153)), 1);
        const quint16 record1Code = rig.image.valueOr(157);
        QVERIFY(!write6(25, rig.image.valueOr(25) == 2080 ? 2400 : 2080).isEmpty());
        QCOMPARE(rig.image.valueOr(157), record1Code);  // same minute: not logged twice
        rig.image.advance(60'000);
        QVERIFY(!write6(24, held).isEmpty());
        QCOMPARE(code0(), 138);
        QCOMPARE(int(rig.image.valueOr(157)), 138);  // a minute later: logged again
    }

    // ---- message stacks ------------------------------------------------------------------------

    void sign_magnitude_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("value");
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("5 with bit 15") << 0x8005 << -5;
        QTest::newRow("0x8000 -> 0") << 0x8000 << 0;
        QTest::newRow("0xFFFF -> -32767") << 0xFFFF << -32767;
        QTest::newRow("0x7FFF") << 0x7FFF << 32767;
        QTest::newRow("0") << 0 << 0;
    }
    void sign_magnitude() {
        QFETCH(int, raw);
        QFETCH(int, value);
        GroupTestRig rig;
        C_M852_MsgLog log;
        QList<qint16> regs(20, 0);
        regs[7] = w16(unsigned(raw));
        QVERIFY(log.DecodeReply(*reply(9950, regs)));
        QCOMPARE(log.CurrentMsg(7), value);
        QVERIFY(log.DecodeReply(*reply(9900, regs)));
        QCOMPARE(log.PreviousMsg(7), value);
    }

    void stack_indices_and_blocks() {
        GroupTestRig rig;
        C_M852_MsgLog log;
        QCOMPARE(log.CurrentMsg(0), -32767);
        QCOMPARE(log.PreviousMsg(19), -32767);
        QCOMPARE(log.CurrentMsg(20), -1);
        QCOMPARE(log.PreviousMsg(-1), -1);
        QList<qint16> prev;
        for (int i = 0; i < 20; ++i) prev << qint16(100 + i);
        QVERIFY(log.DecodeReply(*reply(9900, prev)));
        QCOMPARE(log.PreviousMsg(19), 119);
        QCOMPARE(log.CurrentMsg(19), -32767);  // the other stack is untouched
        QVERIFY(!log.DecodeReply(*reply(9910, prev)));
        // a short reply: the entries copied before the end keep their new values, no refresh
        QList<qint16> shortReply(10, 1);
        QVERIFY(!log.DecodeReply(*reply(9950, shortReply)));
        QCOMPARE(log.CurrentMsg(9), 1);
        QCOMPARE(log.CurrentMsg(10), -32767);
    }

    // The first refresh comes from the 9900 reply: the current stack still shows its initial words.
    void stacks_window() {
        GroupTestRig rig(3);
        for (int i = 0; i < 20; ++i) {
            rig.image.set(9900 + i, quint16(i == 0 ? 0x8005 : i));
            rig.image.set(9950 + i, quint16(i == 1 ? 0x8000 : 1000 + i));
        }
        DW_M852_MsgLog w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Message Logs"));
        QCOMPARE(label(&w, "lblCurrentTitle"), QStringLiteral("Current "));
        QCOMPARE(label(&w, "lblPrevTitle"), QStringLiteral("Previous"));
        auto* current = w.findChild<QPlainTextEdit*>("txtCurrentMsgs");
        auto* previous = w.findChild<QPlainTextEdit*>("txtPreviousMsgs");
        QVERIFY(current && previous);
        QCOMPARE(frameStart(rig.tick()), 9900);
        rig.tick();  // 9900 answered: first refresh
        QString initial;
        for (int i = 0; i < 20; ++i) initial += "-32767\r\n";
        QCOMPARE(w.CurrentText(), initial);
        QVERIFY(w.PreviousText().startsWith("-5\r\n1\r\n2\r\n"));
        QCOMPARE(w.PreviousText().count("\r\n"), 20);
        rig.tick();  // 9950 answered
        QVERIFY(w.CurrentText().startsWith("1000\r\n0\r\n1002\r\n"));
        QCOMPARE(w.CurrentText().count("\r\n"), 20);
        QVERIFY(w.CurrentText().endsWith("1019\r\n"));
        QCOMPARE(current->toPlainText().remove('\r').trimmed().split('\n').size(), 20);
        QSignalSpy c(current, &QPlainTextEdit::textChanged);
        QSignalSpy p(previous, &QPlainTextEdit::textChanged);
        rig.cycle();
        rig.cycle();
        QCOMPARE(c.count(), 0);
        QCOMPARE(p.count(), 0);
    }
};

QObject* makeHistoryTest() { return new tst_History; }

#include "tst_History.moc"
