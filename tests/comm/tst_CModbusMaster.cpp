#include <QTest>
#include <functional>

#include "CommTestUtil.h"
#include "ModbusTestFrames.h"
#include "comm/CModbusMaster.h"

namespace {

using Values = QVector<qint16>;

// Marks a property the row leaves unset.
constexpr qint32 kUnset = -999;

void setIfGiven(CModbusMaster& codec, qint32 funct, qint32 slave, qint32 start, qint32 numPoints) {
    if (funct != kUnset) codec.setFunct(funct);
    if (slave != kUnset) codec.setSlaveAddr(slave);
    if (start != kUnset) codec.setStartAddr(start);
    if (numPoints != kUnset) codec.setNumPoints(numPoints);
}

const QString kParse = QStringLiteral("0x%1|CModbusMaster::ParseResponse|%2");
const QString kInvalidData = kParse.arg("800400CA", "Invalid data received from slave device");
const QString kByteCount = kParse.arg("800400CB", "Invalid number of data bytes received from slave device");
const QString kCrc = kParse.arg("800400CC", "CRC Mismatch - Possible data corruption");

QString createQueryError(const char* description) {
    return QStringLiteral("0x800400C9|CModbusMaster::CreateQuery|%1").arg(QLatin1String(description));
}

}  // namespace

class TestModbusMaster : public QObject {
    Q_OBJECT

private slots:
    void crcTables();
    void crcCheckValue();
    void initialState();
    void propertyWrites_data();
    void propertyWrites();
    void unsetReads_data();
    void unsetReads();
    void createQuery_data();
    void createQuery();
    void createQueryWrite16Maximum();
    void createQueryFailures_data();
    void createQueryFailures();
    void parseResponse_data();
    void parseResponse();
    void parseResponseErrors_data();
    void parseResponseErrors();
    void byteCountRejectedBeforeValuesStored();
    void exceptionReplyKeepsItsCode();
};

void TestModbusMaster::crcTables() {
    const CModbusMaster codec;
    const std::array<quint8, 8> firstLo{0x00, 0xC1, 0x81, 0x40, 0x01, 0xC0, 0x80, 0x41};
    const std::array<quint8, 8> firstHi{0x00, 0xC0, 0xC1, 0x01, 0xC3, 0x03, 0x02, 0xC2};
    for (size_t i = 0; i < firstLo.size(); ++i) {
        QCOMPARE(codec.CrcTableLo()[i], firstLo[i]);
        QCOMPARE(codec.CrcTableHi()[i], firstHi[i]);
    }
}

void TestModbusMaster::crcCheckValue() {
    const CModbusMaster codec;
    QCOMPARE(codec.Crc16(QByteArrayView("123456789")), quint16(0x4B37));
    // A lone byte b is looked up at index b XOR 0xFF, so the 256 single bytes reach every table
    // entry; compare them, and a run of longer inputs, with the shift-register definition.
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QCOMPARE(codec.Crc16(QByteArrayView(&byte, 1)), testframes::bitwiseCrc16(QByteArrayView(&byte, 1)));
    }
    QByteArray bytes;
    for (int i = 0; i < 300; ++i) {
        bytes.append(static_cast<char>((i * 37 + 11) & 0xFF));
        QCOMPARE(codec.Crc16(bytes), testframes::bitwiseCrc16(bytes));
    }
}

void TestModbusMaster::initialState() {
    const CModbusMaster codec;
    QCOMPARE(codec.CRC(), quint16(0xFFFF));
    QCOMPARE(codec.ExceptionCode(), 0);
    QVERIFY(codec.SendData().isEmpty());
    QVERIFY(codec.GetMessage().isEmpty());
}

void TestModbusMaster::propertyWrites_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QString>("error");  // empty: accepted

    const auto rejected = [](const char* property, const char* text) {
        return QStringLiteral("0x800400C9|CModbusMaster::%1|%2")
            .arg(QLatin1String(property), QLatin1String(text));
    };
    QTest::newRow("Funct 0") << "Funct" << 0 << rejected("Funct", "Invalid function code passed");
    QTest::newRow("Funct 4") << "Funct" << 4 << QString();
    QTest::newRow("Funct -1") << "Funct" << -1 << QString();
    QTest::newRow("SlaveAddr -1") << "SlaveAddr" << -1
                                  << rejected("SlaveAddr", "Invalid slave device address");
    QTest::newRow("SlaveAddr 0") << "SlaveAddr" << 0 << QString();
    QTest::newRow("SlaveAddr 247") << "SlaveAddr" << 247 << QString();
    QTest::newRow("SlaveAddr 248") << "SlaveAddr" << 248
                                   << rejected("SlaveAddr", "Invalid slave device address");
    QTest::newRow("StartAddr -1") << "StartAddr" << -1 << rejected("StartAddr", "Invalid starting address");
    QTest::newRow("StartAddr 0") << "StartAddr" << 0 << QString();
    QTest::newRow("StartAddr 32767") << "StartAddr" << 32767 << QString();
    QTest::newRow("StartAddr 32768") << "StartAddr" << 32768
                                     << rejected("StartAddr", "Invalid starting address");
    QTest::newRow("NumPoints -1") << "NumPoints" << -1
                                  << rejected("NumPoints", "Invalid number of data points");
    QTest::newRow("NumPoints 0") << "NumPoints" << 0 << QString();
    QTest::newRow("NumPoints 127") << "NumPoints" << 127 << QString();
    QTest::newRow("NumPoints 128") << "NumPoints" << 128
                                   << rejected("NumPoints", "Invalid number of data points");
}

void TestModbusMaster::propertyWrites() {
    QFETCH(QString, property);
    QFETCH(qint32, value);
    QFETCH(QString, error);

    CModbusMaster codec;
    setIfGiven(codec, 3, 1, 10, 5);
    const std::map<QString, std::pair<std::function<void(qint32)>, std::function<qint32()>>> access{
        {"Funct", {[&](qint32 v) { codec.setFunct(v); }, [&] { return codec.Funct(); }}},
        {"SlaveAddr", {[&](qint32 v) { codec.setSlaveAddr(v); }, [&] { return codec.SlaveAddr(); }}},
        {"StartAddr", {[&](qint32 v) { codec.setStartAddr(v); }, [&] { return codec.StartAddr(); }}},
        {"NumPoints", {[&](qint32 v) { codec.setNumPoints(v); }, [&] { return codec.NumPoints(); }}},
    };
    const auto& [write, read] = access.at(property);
    const qint32 before = read();

    QCOMPARE(thrownBy([&] { write(value); }), error);
    // A rejected write leaves the previous value in place.
    QCOMPARE(read(), error.isEmpty() ? value : before);
}

void TestModbusMaster::unsetReads_data() {
    QTest::addColumn<QString>("error");
    QTest::newRow("Funct") << "0x800400C8|CModbusMaster::Funct|Function code not set";
    QTest::newRow("SlaveAddr") << "0x800400C8|CModbusMaster::SlaveAddr|Slave address not set";
    QTest::newRow("StartAddr") << "0x800400C8|CModbusMaster::StartAddr|Starting address not set";
    QTest::newRow("NumPoints") << "0x800400C8|CModbusMaster::NumPoints|Number of data points not set";
}

void TestModbusMaster::unsetReads() {
    QFETCH(QString, error);
    const CModbusMaster codec;
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    QCOMPARE(thrownBy([&] {
                 if (tag == "Funct") (void)codec.Funct();
                 if (tag == "SlaveAddr") (void)codec.SlaveAddr();
                 if (tag == "StartAddr") (void)codec.StartAddr();
                 if (tag == "NumPoints") (void)codec.NumPoints();
             }),
             error);
}

void TestModbusMaster::createQuery_data() {
    QTest::addColumn<qint32>("funct");
    QTest::addColumn<qint32>("slave");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<qint32>("numPoints");
    QTest::addColumn<Values>("sendData");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("read 36 at 750") << 3 << 0 << 750 << 36 << Values{} << hex("00 03 02 ED 00 24 D5 8D");
    QTest::newRow("start 1 is wire 0") << 3 << 0 << 1 << 1 << Values{} << hex("00 03 00 00 00 01 85 DB");
    QTest::newRow("start 0 is wire FFFF") << 3 << 0 << 0 << 1 << Values{} << hex("00 03 FF FF 00 01 85 FF");
    QTest::newRow("slave 17") << 3 << 17 << 108 << 2 << Values{} << hex("11 03 00 6B 00 02 B7 47");
    // A single write needs no count: NumPoints may stay unset.
    QTest::newRow("write6 -1") << 6 << 0 << 1350 << kUnset << Values{-1} << hex("00 06 05 45 FF FF 98 B2");
    QTest::newRow("write6 -256") << 6 << 0 << 1 << 1 << Values{-256} << hex("00 06 00 00 FF 00 C9 EB");
    QTest::newRow("write16 two values")
        << 16 << 0 << 100 << 2 << Values{10, -2, 99} << hex("00 10 00 63 00 02 04 00 0A FF FE 51 1C");
    QTest::newRow("write16 no values") << 16 << 0 << 5 << 0 << Values{} << hex("00 10 00 04 00 00 00 18 A0");
}

void TestModbusMaster::createQuery() {
    QFETCH(qint32, funct);
    QFETCH(qint32, slave);
    QFETCH(qint32, start);
    QFETCH(qint32, numPoints);
    QFETCH(Values, sendData);
    QFETCH(QByteArray, frame);

    CModbusMaster codec;
    setIfGiven(codec, funct, slave, start, numPoints);
    codec.setSendData(sendData);
    codec.CreateQuery();
    QCOMPARE(codec.GetMessage().toHex(' ').toUpper(), frame.toHex(' ').toUpper());
    const auto n = frame.size();
    QCOMPARE(codec.CRC(), quint16(quint8(frame[n - 2]) | quint8(frame[n - 1]) << 8));
}

void TestModbusMaster::createQueryWrite16Maximum() {
    CModbusMaster codec;
    setIfGiven(codec, 16, 0, 1, 127);
    Values values;
    for (int i = 0; i < 127; ++i) values.append(static_cast<qint16>(i * 515 - 30000));
    codec.setSendData(values);
    codec.CreateQuery();

    const QByteArray frame = codec.GetMessage();
    QCOMPARE(frame.size(), 263);
    QCOMPARE(quint8(frame[6]), quint8(254));
    QCOMPARE(qint16(quint8(frame[259]) << 8 | quint8(frame[260])), values.last());
    QCOMPARE(testframes::withCrc(frame.left(261)), frame);
}

void TestModbusMaster::createQueryFailures_data() {
    QTest::addColumn<qint32>("funct");
    QTest::addColumn<qint32>("slave");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<qint32>("numPoints");
    QTest::addColumn<Values>("sendData");
    QTest::addColumn<QString>("error");

    QTest::newRow("function 4") << 4 << 0 << 1 << 1 << Values{} << createQueryError("Subscript out of range");
    QTest::newRow("function beyond a byte") << 259 << 0 << 1 << 1 << Values{} << createQueryError("Overflow");
    QTest::newRow("function unset") << kUnset << 0 << 1 << 1 << Values{}
                                    << createQueryError("Function code not set");
    QTest::newRow("slave unset") << 3 << kUnset << 1 << 1 << Values{}
                                 << createQueryError("Slave address not set");
    QTest::newRow("start unset") << 3 << 0 << kUnset << 1 << Values{}
                                 << createQueryError("Starting address not set");
    QTest::newRow("read count unset")
        << 3 << 0 << 1 << kUnset << Values{} << createQueryError("Number of data points not set");
    QTest::newRow("write6 without value")
        << 6 << 0 << 1 << 1 << Values{} << createQueryError("Subscript out of range");
    QTest::newRow("write16 short of values")
        << 16 << 0 << 1 << 3 << Values{1, 2} << createQueryError("Subscript out of range");
}

void TestModbusMaster::createQueryFailures() {
    QFETCH(qint32, funct);
    QFETCH(qint32, slave);
    QFETCH(qint32, start);
    QFETCH(qint32, numPoints);
    QFETCH(Values, sendData);
    QFETCH(QString, error);

    CModbusMaster codec;
    setIfGiven(codec, funct, slave, start, numPoints);
    codec.setSendData(sendData);
    QCOMPARE(thrownBy([&] { codec.CreateQuery(); }), error);
}

void TestModbusMaster::parseResponse_data() {
    // The query the codec was left with, the reply, and the properties afterwards.
    QTest::addColumn<qint32>("queryFunct");
    QTest::addColumn<qint32>("queryStart");
    QTest::addColumn<qint32>("queryNumPoints");
    QTest::addColumn<Values>("querySendData");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint32>("slave");
    QTest::addColumn<qint32>("funct");
    QTest::addColumn<qint32>("start");
    QTest::addColumn<qint32>("numPoints");
    QTest::addColumn<Values>("sendData");

    QTest::newRow("read keeps query address and count")
        << 3 << 750 << 2 << Values{} << hex("00 03 04 00 0A FF FF CB 41") << 0 << 3 << 750 << 2
        << Values{10, -1};
    QTest::newRow("bytes after the CRC are ignored")
        << 3 << 750 << 2 << Values{} << hex("00 03 04 00 0A FF FF CB 41 12 34 56") << 0 << 3 << 750 << 2
        << Values{10, -1};
    QTest::newRow("0x8000 reads negative")
        << 3 << 20 << 1 << Values{} << hex("00 03 02 80 00 E4 44") << 0 << 3 << 20 << 1 << Values{-32768};
    QTest::newRow("slave 247") << 3 << 20 << 1 << Values{} << hex("F7 03 02 12 34 7D 26") << 247 << 3 << 20
                               << 1 << Values{0x1234};
    QTest::newRow("write6 echo") << 6 << 1 << 1 << Values{5} << hex("00 06 05 45 01 02 19 53") << 0 << 6
                                 << 1350 << 1 << Values{0x0102};
    QTest::newRow("write6 echo of FFFF is register 0")
        << 6 << 1 << 1 << Values{5} << hex("00 06 FF FF 00 07 C9 FD") << 0 << 6 << 0 << 1 << Values{7};
    QTest::newRow("write6 echo of 7FFE is register 32767")
        << 6 << 1 << 1 << Values{5} << hex("00 06 7F FE 00 07 B1 FD") << 0 << 6 << 32767 << 1 << Values{7};
    QTest::newRow("write16 echo keeps written values")
        << 16 << 1 << 1 << Values{10, -2} << hex("00 10 00 63 00 02 B0 07") << 0 << 16 << 100 << 2
        << Values{10, -2};
    QTest::newRow("write16 echo of 127 registers")
        << 16 << 1 << 1 << Values{4} << hex("00 10 00 63 00 7F 70 26") << 0 << 16 << 100 << 127 << Values{4};
}

void TestModbusMaster::parseResponse() {
    QFETCH(qint32, queryFunct);
    QFETCH(qint32, queryStart);
    QFETCH(qint32, queryNumPoints);
    QFETCH(Values, querySendData);
    QFETCH(QByteArray, reply);
    QFETCH(qint32, slave);
    QFETCH(qint32, funct);
    QFETCH(qint32, start);
    QFETCH(qint32, numPoints);
    QFETCH(Values, sendData);

    CModbusMaster codec;
    setIfGiven(codec, queryFunct, 9, queryStart, queryNumPoints);
    codec.setSendData(querySendData);
    codec.SetMessage(reply);
    codec.ParseResponse();
    QCOMPARE(codec.SlaveAddr(), slave);
    QCOMPARE(codec.Funct(), funct);
    QCOMPARE(codec.StartAddr(), start);
    QCOMPARE(codec.NumPoints(), numPoints);
    QCOMPARE(codec.SendData(), sendData);
}

void TestModbusMaster::parseResponseErrors_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("error");

    QTest::newRow("byte count 0") << hex("00 03 00 71 30") << kByteCount;
    QTest::newRow("odd byte count") << hex("00 03 03 00 01 02 C4 0E") << kByteCount;
    QTest::newRow("exception to a read") << hex("00 83 02 91 31") << kInvalidData;
    QTest::newRow("function 4") << hex("00 04 02 00 01 45 30") << kInvalidData;
    QTest::newRow("function 0") << hex("00 00 02 00 01 44 00") << kInvalidData;
    QTest::newRow("slave 248") << hex("F8 03 02 00 01 E5 90") << kInvalidData;
    QTest::newRow("echoed address 8000") << hex("00 06 80 00 00 07 E0 19") << kInvalidData;
    QTest::newRow("echoed count 128") << hex("00 10 00 63 00 80 30 66") << kInvalidData;
    QTest::newRow("CRC high byte wrong") << hex("00 03 04 00 0A FF FF CB 42") << kCrc;
    QTest::newRow("CRC bytes swapped") << hex("00 03 04 00 0A FF FF 41 CB") << kCrc;
    QTest::newRow("value bit flipped") << hex("00 03 04 00 0B FF FF CB 41") << kCrc;
    // Faults of the language pass through unchanged.
    QTest::newRow("echoed address 7FFF") << hex("00 06 7F FF 00 07 E0 3D") << "Overflow";
    QTest::newRow("empty") << QByteArray() << "IndexOutOfRange";
    QTest::newRow("slave byte only") << hex("00") << "IndexOutOfRange";
    QTest::newRow("cut in the values") << hex("00 03 04 00 0A") << "IndexOutOfRange";
    QTest::newRow("cut in the CRC") << hex("00 03 04 00 0A FF FF CB") << "IndexOutOfRange";
    QTest::newRow("byte count beyond the message") << hex("00 03 FE 00 01 02 03") << "IndexOutOfRange";
    QTest::newRow("write16 echo without CRC") << hex("00 10 00 63 00 02") << "IndexOutOfRange";
}

void TestModbusMaster::parseResponseErrors() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, error);

    CModbusMaster codec;
    setIfGiven(codec, 3, 0, 750, 2);
    codec.SetMessage(reply);
    QCOMPARE(thrownBy([&] { codec.ParseResponse(); }), error);
}

void TestModbusMaster::byteCountRejectedBeforeValuesStored() {
    CModbusMaster codec;
    codec.setSendData({11, 22, 33});
    codec.SetMessage(hex("00 03 03 00 01 02 C4 0E"));
    QCOMPARE(thrownBy([&] { codec.ParseResponse(); }), kByteCount);
    QCOMPARE(codec.SendData(), (Values{11, 22, 33}));
}

void TestModbusMaster::exceptionReplyKeepsItsCode() {
    CModbusMaster codec;
    codec.SetMessage(hex("00 83 02 91 32"));  // damaged: its code is not believed
    QCOMPARE(thrownBy([&] { codec.ParseResponse(); }), kInvalidData);
    QCOMPARE(codec.ExceptionCode(), 0);

    codec.SetMessage(hex("00 83 02 91 31"));
    QCOMPARE(thrownBy([&] { codec.ParseResponse(); }), kInvalidData);
    QCOMPARE(codec.ExceptionCode(), 2);
    QCOMPARE(codec.CRC(), quint16(0x3191));
}

int runModbusMasterTests(int argc, char** argv) {
    TestModbusMaster test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CModbusMaster.moc"
