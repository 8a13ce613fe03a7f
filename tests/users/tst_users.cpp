// The user account file: hash, record format, default accounts, lookups, changes, sharing with
// another process, and what a failed write leaves behind.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "AccountBytes.h"
#include "users/AccountFile.h"
#include "users/UserAccountFile.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif

using namespace accountbytes;

namespace {

// Runs op and describes what came out: "true", "false" or "error <number> <source>: <message>".
QString outcome(const std::function<bool()>& op) {
    try {
        return op() ? QStringLiteral("true") : QStringLiteral("false");
    } catch (const ComponentError& e) {
        return QStringLiteral("error %1 %2: %3").arg(e.number()).arg(e.source(), e.description());
    }
}

std::function<bool()> operation(UserAccountFile& f, const QString& name) {
    if (name == QLatin1String("RoleLookup")) return [&f] { return f.RoleLookup(4); };
    if (name == QLatin1String("UserLookup"))
        return [&f] {
            qint32 password = 0, role = 0;
            return f.UserLookup(h("ATS"), password, role);
        };
    if (name == QLatin1String("ChangeUserName"))
        return [&f] { return f.ChangeUserName(QStringLiteral("ATS"), QStringLiteral("Tech")); };
    if (name == QLatin1String("ChangePassword"))
        return [&f] {
            return f.ChangePassword(QStringLiteral("ATS"), QStringLiteral("R517"), QStringLiteral("x"));
        };
    if (name == QLatin1String("AddUser")) return [&f] { return f.AddUser(1, 2, 3); };
    return [] { return false; };
}

#ifdef Q_OS_UNIX
// Limits the size of files this process may write, as a full disk would, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

}  // namespace

class tst_Users : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("UserAcc.dat"));
        QFile::remove(m_path);
        m_file.setUserInfoFileName(m_path);
    }

    void hash_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("one character") << QStringLiteral("a") << 97;
        QTest::newRow("abc") << QStringLiteral("abc") << 8483;
        QTest::newRow("ABC differs from abc") << QStringLiteral("ABC") << 16579;
        QTest::newRow("GUEST") << QStringLiteral("GUEST") << 8496;
        QTest::newRow("guest differs from GUEST") << QStringLiteral("guest") << 8910;
        QTest::newRow("wraps the modulus several times") << QStringLiteral("zzzzzzzz") << 24673;
        QTest::newRow("Latin-1 letter") << QStringLiteral("\u00e9") << 233;
        QTest::newRow("euro sign is code 0x80") << QStringLiteral("\u20ac") << 128;
        QTest::newRow("outside the code page counts as ?") << QStringLiteral("\u0100") << 63;
    }
    void hash() {
        QFETCH(QString, text);
        QFETCH(qint32, expected);
        QCOMPARE(UserAccountFile::Hash(text), expected);
    }

    void hashLengthLimit() {
        QCOMPARE(UserAccountFile::Hash(QString(32767, QLatin1Char('a'))), 13782);  // the longest text taken
        QVERIFY_THROWS_EXCEPTION(OverflowError,
                                 (void)UserAccountFile::Hash(QString(32768, QLatin1Char('a'))));
    }

    void createWritesTheDefaultAccounts() {
        QVERIFY(m_file.CreateUserInfoFile());
        QCOMPARE(read(m_path), defaultFile());
        QCOMPARE(read(m_path).size(), 48);
    }

    void lookups_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint32>("nameHash");
        QTest::addColumn<bool>("found");
        QTest::addColumn<qint32>("passwordHash");
        QTest::addColumn<qint32>("role");
        QTest::addColumn<bool>("hasGuestRole");

        QTest::newRow("ADMIN in the defaults")
            << defaultFile() << h("ADMIN") << true << h("Bxzq") << 3 << true;
        QTest::newRow("lower-case name is another name")
            << defaultFile() << h("admin") << false << 0 << 0 << true;
        QTest::newRow("first of two equal names wins")
            << records({{h("SU"), 11, 2}, {h("SU"), 22, 3}}) << h("SU") << true << 11 << 2 << false;
        // A torn record at the end must not be read as a record padded with zeros.
        QTest::newRow("trailing partial record is no record")
            << records({{h("A"), 1, 1}}) + UserRecord{h("B"), 0, 0}.toBytes().left(8) << h("B") << false << 0
            << 0 << false;
        QTest::newRow("empty file") << QByteArray() << h("GUEST") << false << 0 << 0 << false;
    }
    void lookups() {
        QFETCH(QByteArray, file);
        QFETCH(qint32, nameHash);
        write(m_path, file);
        qint32 passwordHash = 0, role = 0;
        QTEST(m_file.UserLookup(nameHash, passwordHash, role), "found");
        QTEST(passwordHash, "passwordHash");
        QTEST(role, "role");
        QTEST(m_file.RoleLookup(4), "hasGuestRole");
    }

    void missingFile_data() {
        QTest::addColumn<QString>("op");
        for (const char* op : {"RoleLookup", "UserLookup", "ChangeUserName", "ChangePassword"})
            QTest::newRow(op) << op;
    }
    void missingFile() {
        QFETCH(QString, op);
        QCOMPARE(outcome(operation(m_file, op)),
                 QStringLiteral(
                     "error %1 clsGateway::%2(): User Info File does not exist in application directory.")
                     .arg(0x80040066u)
                     .arg(op));
    }

    void addUser_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray added = UserRecord{1, 2, 3}.toBytes();
        QTest::newRow("no file yet") << QByteArray("<missing>") << added;
        QTest::newRow("after the defaults") << defaultFile() << defaultFile() + added;
        QTest::newRow("replaces a torn last record")
            << defaultFile().left(38) << defaultFile().left(36) + added;
    }
    void addUser() {
        QFETCH(QByteArray, before);
        if (before != "<missing>") write(m_path, before);
        QVERIFY(m_file.AddUser(1, 2, 3));
        QTEST(read(m_path), "after");
    }

    void changePassword_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QByteArray>("after");
        const QByteArray d = defaultFile();
        const QByteArray atsNew = records({{h("ATS"), h("new"), 1}});
        QTest::newRow("right old password") << d << "ATS"
                                            << "R517" << true << d.left(12) + atsNew + d.mid(24);
        QTest::newRow("wrong old password") << d << "ATS"
                                            << "r517" << false << d;
        QTest::newRow("name in the wrong case") << d << "ats"
                                                << "R517" << false << d;
        QTest::newRow("guest's empty password")
            << d << "GUEST"
            << "" << true << records({{h("GUEST"), h("new"), 4}}) + d.mid(12);
        // The first record has the name but another password: it is passed over.
        QTest::newRow("second record with the same name")
            << records({{h("SU"), h("a"), 2}, {h("SU"), h("b"), 3}}) << "SU"
            << "b" << true << records({{h("SU"), h("a"), 2}, {h("SU"), h("new"), 3}});
    }
    void changePassword() {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(QString, oldPassword);
        write(m_path, before);
        QTEST(m_file.ChangePassword(name, oldPassword, QStringLiteral("new")), "changed");
        QTEST(read(m_path), "after");
    }

    void changeUserName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<qint32>("roleOfNewName");  // role a login with newName reaches
        QTest::newRow("to a free name") << "ATS"
                                        << "Tech" << true << 1;
        // The renamed ATS record comes before the original SU: SU logins now reach role 1.
        QTest::newRow("to a name another account has") << "ATS"
                                                       << "SU" << true << 1;
        QTest::newRow("unknown name") << "Nobody"
                                      << "Tech" << false << 0;
    }
    void changeUserName() {
        QFETCH(QString, name);
        QFETCH(QString, newName);
        QFETCH(bool, changed);
        write(m_path, defaultFile());
        QCOMPARE(m_file.ChangeUserName(name, newName), changed);
        QByteArray expected = defaultFile();
        if (changed) expected.replace(12, 12, records({{h(newName.toUtf8()), h("R517"), 1}}));
        QCOMPARE(read(m_path), expected);
        qint32 password = 0, role = 0;
        (void)m_file.UserLookup(UserAccountFile::Hash(newName), password, role);
        QTEST(role, "roleOfNewName");
    }

    // Another copy of the program holds the file; nothing waits, and the holder's release ends it.
    void heldByAnotherProcess_data() {
        QTest::addColumn<QString>("holderMode");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("whileHeld");
        const QString locked =
            QStringLiteral("error 70 clsGateway::%1(): Another process has the UIF locked.");
        const QString denied = QStringLiteral("error 70 clsGateway::%1(): Permission denied");
        QTest::newRow("update holds, user lookup") << "update"
                                                   << "UserLookup" << locked.arg("UserLookup");
        QTest::newRow("update holds, role lookup") << "update"
                                                   << "RoleLookup" << locked.arg("RoleLookup");
        QTest::newRow("update holds, password change") << "update"
                                                       << "ChangePassword" << denied.arg("ChangePassword");
        QTest::newRow("update holds, add") << "update"
                                           << "AddUser"
                                           << "false";
        QTest::newRow("lookup holds, lookup shares") << "lookup"
                                                     << "UserLookup"
                                                     << "true";
        QTest::newRow("lookup holds, rename") << "lookup"
                                              << "ChangeUserName" << denied.arg("ChangeUserName");
    }
    void heldByAnotherProcess() {
        QFETCH(QString, holderMode);
        QFETCH(QString, op);
        write(m_path, defaultFile());

        QProcess holder;
        holder.start(QStringLiteral(USERS_LOCK_HELPER), {m_path, holderMode});
        QVERIFY2(holder.waitForStarted(), qPrintable(holder.errorString()));
        QVERIFY(holder.waitForReadyRead());
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

        QTEST(outcome(operation(m_file, op)), "whileHeld");
        if (op != QLatin1String("UserLookup") && op != QLatin1String("RoleLookup"))
            QCOMPARE(read(m_path), defaultFile());

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished());
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(outcome(operation(m_file, op)), QStringLiteral("true"));
    }

#ifdef Q_OS_UNIX
    void failedWritesKeepTheFile_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("append on a full disk") << defaultFile() << 48 << "AddUser" << defaultFile();
        QTest::newRow("append half-written over a torn record")
            << defaultFile().left(38) << 40 << "AddUser" << defaultFile().left(36);
        // Only some of the defaults would leave the file without its other roles for good.
        QTest::newRow("creation half-written")
            << QByteArray("<missing>") << 30 << "Create" << QByteArray("<missing>");
    }
    void failedWritesKeepTheFile() {
        QFETCH(QByteArray, before);
        QFETCH(int, sizeLimit);
        QFETCH(QString, op);
        if (before != "<missing>") write(m_path, before);
        bool ok = true;
        {
            FileSizeLimit limit{rlim_t(sizeLimit)};
            ok = op == QLatin1String("Create") ? m_file.CreateUserInfoFile() : m_file.AddUser(1, 2, 3);
        }
        QVERIFY(!ok);
        QTEST(read(m_path), "after");
    }

    void noFreeFileHandle() {
        write(m_path, defaultFile());
        rlimit saved{};
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit none = saved;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_NOFILE, &none);
        const QString result = outcome(operation(m_file, QStringLiteral("UserLookup")));
        setrlimit(RLIMIT_NOFILE, &saved);
        QCOMPARE(result, QStringLiteral("error %1 clsGateway::UserLookup(): Can not obtain free file number.")
                             .arg(0x80040065u));
    }
#endif

private:
    QTemporaryDir m_dir;
    QString m_path;
    UserAccountFile m_file;
};

QTEST_GUILESS_MAIN(tst_Users)
#include "tst_users.moc"
