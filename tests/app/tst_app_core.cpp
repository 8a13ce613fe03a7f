// The settings store, the main window's stored settings and the application object's paths.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindowSettings.h"
#include "app/clsApplication.h"
#include "app/clsQTR_Registry.h"
#include "base/ComponentError.h"

namespace {

const QString kKey = QStringLiteral("Software\\Corvanta\\Field Console\\1.6.1\\Test");

// Runs fn and returns the ComponentError it raised (fails the test when it raised none).
template <typename Fn>
std::optional<ComponentError> errorOf(Fn fn) {
    try {
        fn();
    } catch (const ComponentError& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace

class TestAppCore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString iniPath() const { return m_home->filePath(QStringLiteral("FieldConsole.ini")); }
    std::unique_ptr<clsQTR_Registry> makeRegistry(bool autoCreate = true) const {
        auto r = std::make_unique<clsQTR_Registry>(iniPath());
        r->setAutoCreate(autoCreate);
        return r;
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("FC_HOME", m_home->path().toLocal8Bit());
    }
    void cleanup() {
        qunsetenv("FC_HOME");
        m_home.reset();
    }

    // Created (1) the first time, existed (2) afterwards, also for a new store object (next run) and
    // for a key that never got a value; creating a key creates the keys above it.
    void dispositionsPersist() {
        {
            auto r = makeRegistry();
            QCOMPARE(r->RootKey(), clsQTR_Registry::HKEY_LOCAL_MACHINE);
            r->setSubKey(kKey);
            QCOMPARE(r->OpenKey(), clsQTR_Registry::kCreatedNewKey);
            r->CloseKey();
            QCOMPARE(r->OpenKey(), clsQTR_Registry::kOpenedExistingKey);
            r->CloseKey();
            r->CloseKey();  // a second close does nothing
            QVERIFY(!r->IsKeyOpen());
        }
        auto next = makeRegistry(false);
        next->setSubKey(kKey);
        QCOMPARE(next->OpenKey(), clsQTR_Registry::kOpenedExistingKey);
        QVERIFY(next->ValueNames().isEmpty());
        next->CloseKey();
        next->setSubKey(QStringLiteral("Software\\Corvanta"));
        QCOMPARE(next->OpenKey(), clsQTR_Registry::kOpenedExistingKey);
        next->CloseKey();
        // Keys are per root.
        next->setRootKey(clsQTR_Registry::HKEY_CURRENT_USER);
        next->setSubKey(kKey);
        QCOMPARE(errorOf([&] { next->OpenKey(); })->number(), clsQTR_Registry::kErrNoSuchKey);
    }

    void valuesRoundTrip_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("read");
        const int sz = clsQTR_Registry::REG_SZ;
        const int dword = clsQTR_Registry::REG_DWORD;
        QTest::newRow("dword") << dword << QVariant(1440) << QVariant(qint32(1440));
        QTest::newRow("dword negative") << dword << QVariant(-15) << QVariant(qint32(-15));
        QTest::newRow("dword extremes")
            << dword << QVariant(qint64(-2147483648LL)) << QVariant(qint32(INT32_MIN));
        QTest::newRow("dword from text") << dword << QVariant(QStringLiteral("42")) << QVariant(qint32(42));
        QTest::newRow("dword from 16-bit")
            << dword << QVariant::fromValue(qint16(500)) << QVariant(qint32(500));
        QTest::newRow("dword half to even down") << dword << QVariant(1234.5) << QVariant(qint32(1234));
        QTest::newRow("dword half to even up") << dword << QVariant(1235.5f) << QVariant(qint32(1236));
        QTest::newRow("sz") << sz << QVariant(QStringLiteral("ADMIN")) << QVariant(QStringLiteral("ADMIN"));
        QTest::newRow("sz empty") << sz << QVariant(QString()) << QVariant(QString());
        QTest::newRow("sz with INI specials") << sz << QVariant(QStringLiteral("a,b;c=\"d\" [e] %f \\g/ "))
                                              << QVariant(QStringLiteral("a,b;c=\"d\" [e] %f \\g/ "));
        QTest::newRow("sz non-ASCII")
            << sz << QVariant(QStringLiteral("Jürgen Øst")) << QVariant(QStringLiteral("Jürgen Øst"));
        QTest::newRow("sz that looks tagged")
            << sz << QVariant(QStringLiteral("dword:12")) << QVariant(QStringLiteral("dword:12"));
        QTest::newRow("sz 255 characters")
            << sz << QVariant(QString(255, u'x')) << QVariant(QString(255, u'x'));
        QTest::newRow("sz from number") << sz << QVariant(17) << QVariant(QStringLiteral("17"));
    }
    // Values keep their type and content across store objects (runs).
    void valuesRoundTrip() {
        QFETCH(int, type);
        QFETCH(QVariant, written);
        QFETCH(QVariant, read);
        {
            auto r = makeRegistry();
            r->setSubKey(kKey);
            r->OpenKey();
            r->setValue(QStringLiteral("v"), type, written);
            r->CloseKey();
        }
        auto r = makeRegistry(false);
        r->setSubKey(kKey);
        r->OpenKey();
        const QVariant value = r->Value(QStringLiteral("v"), type);
        QCOMPARE(value.metaType(), read.metaType());
        QCOMPARE(value, read);
        // The other type does not read it.
        const int other =
            type == clsQTR_Registry::REG_SZ ? clsQTR_Registry::REG_DWORD : clsQTR_Registry::REG_SZ;
        QCOMPARE(errorOf([&] { (void)r->Value(QStringLiteral("v"), other); })->number(),
                 clsQTR_Registry::kErrValueRead);
    }

    // Value names may hold what the INI format or QSettings treat specially.
    void valueNamesAreKept() {
        auto r = makeRegistry();
        r->setSubKey(QStringLiteral("Software\\odd/key%2F"));
        r->OpenKey();
        const QStringList names{QStringLiteral("a/b"), QStringLiteral("c\\d"),  QStringLiteral("%key"),
                                QStringLiteral("%25"), QStringLiteral("plain"), QString()};
        for (const QString& n : names) r->setValue(n, clsQTR_Registry::REG_SZ, n + QStringLiteral("!"));
        QStringList listed = r->ValueNames();
        listed.sort();
        QStringList expected = names;
        expected.sort();
        QCOMPARE(listed, expected);
        for (const QString& n : names) QCOMPARE(r->Value(n, clsQTR_Registry::REG_SZ).toString(), n + "!");
        r->DeleteValue(QStringLiteral("a/b"));
        QVERIFY(!r->ValueNames().contains(QStringLiteral("a/b")));
        r->CloseKey();
        // "odd/key%2F" is one key, not two.
        r->setSubKey(QStringLiteral("Software\\odd"));
        r->setAutoCreate(false);
        QCOMPARE(errorOf([&] { r->OpenKey(); })->number(), clsQTR_Registry::kErrNoSuchKey);
    }

    void errors_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("ini");  // file contents written first (below the test key)
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("description");
        const QString get = QStringLiteral("Value <property get> --- clsQTR_Registry");
        const QString let = QStringLiteral("Value <property let> --- clsQTR_Registry");
        const QString open = QStringLiteral("OpenKey <funct> --- clsQTR_Registry");
        const QString readFailure = QStringLiteral("Failure during value read.");
        auto row = [](const char* name, const char* action, const char* ini, quint32 number,
                      const QString& src, const char* text) {
            QTest::newRow(name) << QString::fromLatin1(action) << QString::fromUtf8(ini) << number << src
                                << QString::fromUtf8(text);
        };
        row("read missing value", "read-dword:missing", "", 0x800403EB, get, "Failure during value read.");
        row("read missing text", "read-sz:missing", "", 0x800403EB, get, "Failure during value read.");
        row("dword that is no number", "read-dword:v", "v=dword:abc", 0x800403EB, get,
            "Failure during value read.");
        row("dword beyond 32 bits", "read-dword:v", "v=dword:4294967296", 0x800403EB, get,
            "Failure during value read.");
        row("hand-written number is text", "read-dword:v", "v=500", 0x800403EB, get,
            "Failure during value read.");
        row("text longer than 255", "read-sz:long", "", 0x800403EB, get, "Failure during value read.");
        row("read type 3", "read-3:v", "v=sz:x", 0x800403EF, get, "Unimplemented registry type.");
        row("write type 3", "write-3:v", "", 0x800403EF, let, "Unimplemented registry type");
        row("read without key", "read-closed:v", "v=sz:x", 0x800403EE, get, "No key opened.");
        row("write without key", "write-closed:v", "", 0x800403EE, let, "No key opened");
        row("dword write of text", "write-dword-text:v", "", 13, let, "Type mismatch");
        row("dword write beyond 32 bits", "write-dword-big:v", "", 6, let, "Overflow");
        row("open missing key", "open-missing", "", 0x800403EC, open, "Key does not exist");
        row("open empty key name", "open-empty-part", "", 0x800403E8, open, "Cann't open parent key.");
        row("open unknown root", "open-bad-root", "", 0x800403E8, open, "Cann't open parent key.");
        row("store cannot be written", "open-unwritable", "", 0x800403F1, open, "Unknown Error No. 5");
        (void)readFailure;
    }
    void errors() {
        QFETCH(QString, action);
        QFETCH(QString, ini);
        QFETCH(quint32, number);
        QFETCH(QString, source);
        QFETCH(QString, description);

        auto r = makeRegistry();
        r->setSubKey(kKey);
        r->OpenKey();
        r->setValue(QStringLiteral("long"), clsQTR_Registry::REG_SZ, QString(256, u'y'));
        r->CloseKey();
        if (!ini.isEmpty()) {
            // A value written by hand (or by another program) into the key.
            QSettings raw(iniPath(), QSettings::IniFormat);
            raw.beginGroup(QStringLiteral("HKEY_LOCAL_MACHINE/Software/Corvanta/Field Console/1.6.1/Test"));
            const auto eq = ini.indexOf(u'=');
            raw.setValue(ini.left(eq), ini.mid(eq + 1));
            raw.endGroup();
            raw.sync();
        }
        if (action == QLatin1String("open-unwritable")) {
            // A directory where the file should be: nothing can be written.
            QVERIFY(QFile::remove(iniPath()));
            QVERIFY(QDir().mkpath(iniPath()));
        }
        const QString verb = action.section(u':', 0, 0);
        const QString name = action.section(u':', 1);
        if (!verb.startsWith(QLatin1String("open")) && verb != QLatin1String("read-closed") &&
            verb != QLatin1String("write-closed"))
            r->OpenKey();

        const auto error = errorOf([&] {
            if (verb == QLatin1String("read-dword"))
                (void)r->Value(name, clsQTR_Registry::REG_DWORD);
            else if (verb == QLatin1String("read-sz") || verb == QLatin1String("read-closed"))
                (void)r->Value(name, clsQTR_Registry::REG_SZ);
            else if (verb == QLatin1String("read-3"))
                (void)r->Value(name, 3);
            else if (verb == QLatin1String("write-3"))
                r->setValue(name, 3, 1);
            else if (verb == QLatin1String("write-closed"))
                r->setValue(name, clsQTR_Registry::REG_SZ, "x");
            else if (verb == QLatin1String("write-dword-text"))
                r->setValue(name, clsQTR_Registry::REG_DWORD, QStringLiteral("twelve"));
            else if (verb == QLatin1String("write-dword-big"))
                r->setValue(name, clsQTR_Registry::REG_DWORD, qint64(3000000000LL));
            else if (verb == QLatin1String("open-missing")) {
                r->setAutoCreate(false);
                r->setSubKey(kKey + QStringLiteral("\\Missing"));
                r->OpenKey();
            } else if (verb == QLatin1String("open-empty-part")) {
                r->setSubKey(QStringLiteral("Software\\\\Corvanta"));
                r->OpenKey();
            } else if (verb == QLatin1String("open-bad-root")) {
                r->setRootKey(0x12345678u);
                r->OpenKey();
            } else if (verb == QLatin1String("open-unwritable")) {
                r->setSubKey(kKey + QStringLiteral("\\New"));
                r->OpenKey();
            } else
                QFAIL("unknown action");
        });
        QVERIFY2(error.has_value(), "no error raised");
        QCOMPARE(error->number(), number);
        QCOMPARE(error->source(), source);
        QCOMPARE(error->description(), description);
    }

    // A failed write leaves the value as it was; a failed open leaves no key open.
    void failuresChangeNothing() {
        auto r = makeRegistry();
        r->setSubKey(kKey);
        r->OpenKey();
        r->setValue(QStringLiteral("n"), clsQTR_Registry::REG_DWORD, 7);
        QVERIFY(errorOf([&] { r->setValue(QStringLiteral("n"), clsQTR_Registry::REG_DWORD, "x"); }));
        QCOMPARE(r->Value(QStringLiteral("n"), clsQTR_Registry::REG_DWORD).toInt(), 7);
        r->CloseKey();
        r->setAutoCreate(false);
        r->setSubKey(kKey + QStringLiteral("\\Nope"));
        QVERIFY(errorOf([&] { r->OpenKey(); }));
        QVERIFY(!r->IsKeyOpen());
    }

    void applicationPaths() {
        clsApplication app;
        QCOMPARE(clsApplication::BaseRegistrySubkey(),
                 QStringLiteral("Software\\Corvanta\\Field Console\\1.6.1\\"));
        QCOMPARE(clsApplication::UserInfoFullFileName(),
                 QDir(m_home->path()).filePath(QStringLiteral("UserAcc.dat")));
        QCOMPARE(app.Registry().RootKey(), clsQTR_Registry::HKEY_LOCAL_MACHINE);
        QVERIFY(app.Registry().AutoCreate());
        QCOMPARE(app.Registry().settingsFile(), iniPath());
        // LastUser: empty before the key exists, then what was stored.
        QCOMPARE(app.ReadLastUser(), QString());
        app.StoreLastUser(QStringLiteral("ATS"));
        clsApplication next;  // the next run
        QCOMPARE(next.ReadLastUser(), QStringLiteral("ATS"));
    }

    void settingsLoad_data() {
        QTest::addColumn<QStringList>("stored");  // key|name|dword or key|name|sz:text
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("readRate");
        QTest::addColumn<int>("writeRate");
        QTest::addColumn<QList<int>>("placement");  // left, top, width, height; -1 = not stored

        QTest::newRow("first start") << QStringList{} << 1 << 500 << 500 << QList<int>{-1, -1, -1, -1};
        QTest::newRow("all stored") << QStringList{"Start|Wnd_Left|150",
                                                   "Start|Wnd_Top|300",
                                                   "Start|Wnd_Width|9000",
                                                   "Start|Wnd_Height|6000",
                                                   "Settings|LastPortNum|3",
                                                   "Settings|LastReadScanRate|250",
                                                   "Settings|LastWriteScanRate|800"}
                                    << 3 << 250 << 800 << QList<int>{150, 300, 9000, 6000};
        QTest::newRow("key missing values")
            << QStringList{"Start|Wnd_Left|150", "Settings|LastReadScanRate|40"} << 1 << 40 << 500
            << QList<int>{150, -1, -1, -1};
        QTest::newRow("rates below 1")
            << QStringList{"Settings|LastReadScanRate|0", "Settings|LastWriteScanRate|-20"} << 1 << 500 << 500
            << QList<int>{-1, -1, -1, -1};
        QTest::newRow("beyond 16 bits")
            << QStringList{"Settings|LastPortNum|70000", "Settings|LastReadScanRate|40000"} << 1 << 500 << 500
            << QList<int>{-1, -1, -1, -1};
        QTest::newRow("wrong type") << QStringList{"Settings|LastPortNum|sz:4", "Start|Wnd_Top|sz:10"} << 1
                                    << 500 << 500 << QList<int>{-1, -1, -1, -1};
        QTest::newRow("port 0 kept") << QStringList{"Settings|LastPortNum|0"} << 0 << 500 << 500
                                     << QList<int>{-1, -1, -1, -1};
    }
    void settingsLoad() {
        QFETCH(QStringList, stored);
        QFETCH(int, port);
        QFETCH(int, readRate);
        QFETCH(int, writeRate);
        QFETCH(QList<int>, placement);
        const QString base = clsApplication::BaseRegistrySubkey();
        auto r = makeRegistry();
        for (const QString& s : stored) {
            const QStringList p = s.split(u'|');
            r->setSubKey(base + p.at(0));
            r->OpenKey();
            if (p.at(2).startsWith(QLatin1String("sz:")))
                r->setValue(p.at(1), clsQTR_Registry::REG_SZ, p.at(2).mid(3));
            else
                r->setValue(p.at(1), clsQTR_Registry::REG_DWORD, p.at(2).toLongLong());
            r->CloseKey();
        }
        const MainWindowSettings s = MainWindowSettings::Load(*r, base);
        QCOMPARE(s.portNumber, qint16(port));
        QCOMPARE(s.readScanRate, qint16(readRate));
        QCOMPARE(s.writeScanRate, qint16(writeRate));
        const std::optional<qint32> fields[] = {s.placement.left, s.placement.top, s.placement.width,
                                                s.placement.height};
        for (int i = 0; i < 4; ++i) QCOMPARE(fields[i].value_or(-1), placement.at(i));
        // Load created the keys it looked at.
        r->setAutoCreate(false);
        for (const QString& key : {MainWindowSettings::startKey(), MainWindowSettings::settingsKey()}) {
            r->setSubKey(base + key);
            QCOMPARE(r->OpenKey(), clsQTR_Registry::kOpenedExistingKey);
            r->CloseKey();
        }
    }

    // The automatic scan rate is its own value: only a stored 1 turns it on, and it round-trips
    // without touching the fixed rates kept for when it is off.
    void settingsAutomaticScanRate_data() {
        QTest::addColumn<QString>("stored");  // dword, sz:text, or empty: not stored
        QTest::addColumn<bool>("automatic");
        QTest::newRow("first start") << QString() << false;
        QTest::newRow("on") << QStringLiteral("1") << true;
        QTest::newRow("off") << QStringLiteral("0") << false;
        QTest::newRow("another number") << QStringLiteral("7") << false;
        QTest::newRow("wrong type") << QStringLiteral("sz:1") << false;
    }
    void settingsAutomaticScanRate() {
        QFETCH(QString, stored);
        QFETCH(bool, automatic);
        const QString base = clsApplication::BaseRegistrySubkey();
        auto r = makeRegistry();
        r->setSubKey(base + MainWindowSettings::settingsKey());
        r->OpenKey();
        r->setValue(QStringLiteral("LastReadScanRate"), clsQTR_Registry::REG_DWORD, 250);
        if (stored.startsWith(QLatin1String("sz:")))
            r->setValue(QStringLiteral("AutoScanRate"), clsQTR_Registry::REG_SZ, stored.mid(3));
        else if (!stored.isEmpty())
            r->setValue(QStringLiteral("AutoScanRate"), clsQTR_Registry::REG_DWORD, stored.toLongLong());
        r->CloseKey();
        MainWindowSettings s = MainWindowSettings::Load(*r, base);
        QCOMPARE(s.automaticScanRate, automatic);
        QCOMPARE(s.readScanRate, qint16(250));

        s.automaticScanRate = !automatic;
        s.Save(*r, base);
        const MainWindowSettings back = MainWindowSettings::Load(*r, base);
        QCOMPARE(back.automaticScanRate, !automatic);
        QCOMPARE(back.readScanRate, qint16(250));
    }

    // Save writes all seven values with their types, and the port overrides in their own key; an
    // override that is gone is removed from the store.
    void settingsSaveAndOverrides() {
        const QString base = clsApplication::BaseRegistrySubkey();
        auto r = makeRegistry();
        MainWindowSettings s;
        s.placement = {150, 300, 9000, 6000};
        s.portNumber = 33;
        s.readScanRate = 100;
        s.writeScanRate = 700;
        s.portOverrides = {{33, QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0")},
                           {5, QStringLiteral("/dev/pts/7")}};
        s.Save(*r, base);

        MainWindowSettings back = MainWindowSettings::Load(*r, base);
        QCOMPARE(back.portNumber, s.portNumber);
        QCOMPARE(back.readScanRate, s.readScanRate);
        QCOMPARE(back.writeScanRate, s.writeScanRate);
        QCOMPARE(back.placement.height.value_or(-1), 6000);
        QCOMPARE(back.portOverrides, s.portOverrides);

        r->setSubKey(base + QStringLiteral("Settings"));
        r->OpenKey();
        QCOMPARE(r->Value(QStringLiteral("LastPortNum"), clsQTR_Registry::REG_DWORD).metaType().id(),
                 QMetaType::Int);
        r->CloseKey();

        s.portOverrides.remove(5);
        s.Save(*r, base);
        QCOMPARE(MainWindowSettings::Load(*r, base).portOverrides.keys(), QList<int>{33});
        s.portOverrides.clear();
        s.Save(*r, base);
        QVERIFY(MainWindowSettings::Load(*r, base).portOverrides.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_app_core.moc"
