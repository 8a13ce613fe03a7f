#include <QLineEdit>
#include <QTest>
#include <limits>

#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/InputValidation.h"
#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"

class tst_SharedRoutines : public QObject {
    Q_OBJECT
private slots:
    void formatMinSec_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << 0 << "00:00";
        QTest::newRow("75.5 one decimal") << 75.5 << 1 << "01:15.5";
        QTest::newRow("minutes beyond 59") << 4500.0 << 0 << "75:00";
        QTest::newRow("fraction dropped without decimals") << 75.6 << 0 << "01:15";
        QTest::newRow("last second of an hour") << 3599.0 << 0 << "59:59";
        QTest::newRow("three-digit minutes") << 6000.0 << 0 << "100:00";
        QTest::newRow("two decimals") << 1.25 << 2 << "00:01.25";
        // the shown fraction rounds up to a whole second: it is carried, not printed as "1.0"
        QTest::newRow("carry into the minute") << 59.96 << 1 << "01:00.0";
        QTest::newRow("half rounds to even") << 10.25 << 1 << "00:10.2";
        // no text rather than an undefined integer conversion
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0 << "";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 1 << "";
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << 0 << "";
        QTest::newRow("beyond 64 bits") << 1e300 << 0 << "";
        QTest::newRow("first inexact second") << 9007199254740992.0 << 0 << "";
        QTest::newRow("largest exact second") << 9007199254740991.0 << 0 << "150119987579016:31";
        QTest::newRow("decimals limited to nine") << 1.5 << 40 << "00:01.500000000";
        QTest::newRow("negative decimals") << 75.5 << -3 << "01:15";
    }
    void formatMinSec() {
        QFETCH(double, seconds);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(FormatMinSec(seconds, decimals), expected);
    }

    void parseTimeText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("expected");
        QTest::newRow("mm:ss.s") << "01:15.5" << 1 << 755;
        QTest::newRow("mm:ss") << "02:00" << 0 << 120;
        QTest::newRow("unpadded") << "1:5" << 0 << 65;
        QTest::newRow("seconds only") << "90" << 0 << 90;
        QTest::newRow("hours") << "1:00:00" << 0 << 3600;
        QTest::newRow("minutes beyond 59") << "75:00" << 0 << 4500;
        QTest::newRow("half to even down") << "0.25" << 1 << 2;
        QTest::newRow("half to even up") << "0.75" << 1 << 8;
        QTest::newRow("no digits") << "abc" << 0 << 0;
        QTest::newRow("empty") << "" << 0 << 0;
        QTest::newRow("empty part") << "1:" << 0 << 0;
        QTest::newRow("letter in a part") << "1:2x" << 0 << 0;
        QTest::newRow("comma is no decimal point") << "1,5" << 1 << 0;
        QTest::newRow("beyond 32 bits") << "99999999:00" << 0 << 0;
        QTest::newRow("not a number word") << "inf" << 0 << 0;
    }
    void parseTimeText() {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(int, expected);
        QCOMPARE(ParseTimeText(text, decimals), expected);
    }

    void formatMinutes_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("125") << 125 << "2:05";
        QTest::newRow("59") << 59 << "0:59";
        QTest::newRow("60") << 60 << "1:00";
        QTest::newRow("zero") << 0 << "0:00";
        QTest::newRow("hour") << 3600 << "60:00";
        QTest::newRow("negative") << -125 << "-2:05";
        QTest::newRow("most negative") << std::numeric_limits<qint32>::min() << "-35791394:08";
    }
    void formatMinutes() {
        QFETCH(int, seconds);
        QFETCH(QString, expected);
        QCOMPARE(FormatMinutes(seconds), expected);
    }

    void toSignedWord_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("zero") << 0 << 0 << false;
        QTest::newRow("largest positive") << 32767 << 32767 << false;
        QTest::newRow("first negative") << 32768 << -32768 << false;
        QTest::newRow("all ones") << 65535 << -1 << false;
        QTest::newRow("already signed") << -5 << -5 << false;
        QTest::newRow("above 16 bits") << 65536 << 0 << true;
        QTest::newRow("below 16 bits") << -32769 << 0 << true;
    }
    void toSignedWord() {
        QFETCH(int, value);
        QFETCH(int, expected);
        QFETCH(bool, overflow);
        if (overflow) {
            QVERIFY_THROWS_EXCEPTION(OverflowError, (void)ToSignedWord(value));
        } else {
            QCOMPARE(int(ToSignedWord(value)), expected);
        }
    }

    void bytes_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("hi");
        QTest::addColumn<int>("lo");
        QTest::newRow("0x1234") << 0x1234 << 0x12 << 0x34;
        QTest::newRow("minus one") << -1 << 0xFF << 0xFF;
        QTest::newRow("minus 256") << -256 << 0xFF << 0x00;
        QTest::newRow("most negative") << -32768 << 0x80 << 0x00;
        QTest::newRow("unsigned pattern") << 0xABCD << 0xAB << 0xCD;
    }
    void bytes() {
        QFETCH(int, value);
        QFETCH(int, hi);
        QFETCH(int, lo);
        QCOMPARE(int(HiByte(value)), hi);
        QCOMPARE(int(LoByte(value)), lo);
    }

    void format_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one decimal") << 480.0 << "0.0"
                                     << "480.0";
        QTest::newRow("register tenths") << 2771 / 10.0 << "0.0"
                                         << "277.1";
        QTest::newRow("half to even down") << 480.5 << "0"
                                           << "480";
        QTest::newRow("half to even up") << 481.5 << "0"
                                         << "482";
        QTest::newRow("half to even in tenths") << 2.25 << "0.0"
                                                << "2.2";
        QTest::newRow("negative") << -12.3 << "0.0"
                                  << "-12.3";
        QTest::newRow("no negative zero") << -0.04 << "0.0"
                                          << "0.0";
        QTest::newRow("padded") << 7.0 << "00"
                                << "07";
        QTest::newRow("unpadded zero") << 0.0 << "#0"
                                       << "0";
        QTest::newRow("fraction only") << 0.5 << ".0"
                                       << ".5";
        QTest::newRow("small tenths") << 0.1 << "0.0"
                                      << "0.1";
        QTest::newRow("big") << 3276.7 << "0.0"
                             << "3276.7";

        // Every numeric pattern the windows and dialogs use, literal text and "%" included.
        QTest::newRow("minutes #0") << 2.0 << "#0" << "2";
        QTest::newRow("tenths of a second .0") << (653 / 10.0 - 65) << ".0" << ".3";
        QTest::newRow("two-digit minor version 00") << 3.0 << "00" << "03";
        QTest::newRow("absolute volts (0 V)") << 432.0 << "(0 V)" << "(432 V)";
        QTest::newRow("(0 V) rounds half to even") << 432.5 << "(0 V)" << "(432 V)";
        QTest::newRow("absolute hertz (0.0 Hz)") << 54.0 << "(0.0 Hz)" << "(54.0 Hz)";
        QTest::newRow("live volts 0V") << 480 * 90 / 100.0 << "0V" << "432V";
        QTest::newRow("live hertz 0.0 Hz") << 90 * 60.0 / 100 << "0.0 Hz" << "54.0 Hz";
        QTest::newRow("elapsed part (0%)") << 1 - 300 / 1200.0 << "(0%)" << "(75%)";
        QTest::newRow("remaining part (0%)") << 125 / 250.0 << "(0%)" << "(50%)";
        QTest::newRow("(0%) of nothing") << 0.0 << "(0%)" << "(0%)";
        QTest::newRow("(0%) of all") << 1.0 << "(0%)" << "(100%)";
        QTest::newRow("(0%) half to even") << 0.125 << "(0%)" << "(12%)";
        QTest::newRow("sign before the literals") << -5.0 << "(0 V)" << "-(5 V)";
        QTest::newRow("no sign for a rounded zero") << -0.004 << "(0%)" << "(0%)";
        QTest::newRow("escaped placeholder") << 7.0 << "\\#0" << "#7";
        QTest::newRow("quoted text") << 7.0 << "0\" 0#\"" << "7 0#";
    }
    void format() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(NumberFormat::Format(value, pattern), expected);
    }

    void toRegister_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("208 V") << 208.0 << 2080 << false;
        QTest::newRow("half to even") << 0.25 << 2 << false;
        QTest::newRow("largest") << 3276.7 << 32767 << false;
        QTest::newRow("just beyond") << 3276.8 << 0 << true;
        QTest::newRow("rounds beyond") << 3276.75 << 0 << true;
        QTest::newRow("smallest") << -3276.8 << -32768 << false;
    }
    void toRegister() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QFETCH(bool, overflow);
        if (overflow) {
            QVERIFY_THROWS_EXCEPTION(OverflowError, (void)ToRegister(value, 10));
        } else {
            QCOMPARE(int(ToRegister(value, 10)), expected);
        }
    }

    void validateRange_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("inside") << "5" << false;
        QTest::newRow("lower end") << "0" << false;
        QTest::newRow("upper end") << "10" << false;
        QTest::newRow("just above") << "10.1" << true;
        QTest::newRow("below") << "-1" << true;
        QTest::newRow("letters") << "abc" << true;
        QTest::newRow("blanks around") << " 7 " << false;
        QTest::newRow("decimal comma") << "5,5" << true;
    }
    void validateRange() {
        QFETCH(QString, text);
        QFETCH(bool, cancel);
        QLineEdit box;
        SetBackColor(&box, cancel ? kValidBackColor : kInvalidBackColor);  // start from the other colour
        box.setText(text);
        QCOMPARE(ValidateRange(&box, 0, 10), cancel);
        QCOMPARE(BackColor(&box), cancel ? QColor(255, 128, 128) : QColor(255, 255, 255));
    }

    void keyFilter() {
        ScriptedUiServices ui;
        QLineEdit box;
        CNumericKeyFilter::install(&box, QStringLiteral("."));
        box.show();
        QTest::keyClicks(&box, QStringLiteral("1a2.:-5"));
        QCOMPARE(box.text(), QStringLiteral("12.5"));
        QCOMPARE(ui.beeps(), 3);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("12."));
        QCOMPARE(ui.beeps(), 3);
    }
};

QObject* makeSharedRoutinesTest() { return new tst_SharedRoutines; }

#include "tst_SharedRoutines.moc"
