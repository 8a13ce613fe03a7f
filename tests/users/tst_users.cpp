// The user account file: where it lives, hash, record format, default accounts, lookups, changes,
// sharing with another process, and what a failed write leaves behind.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "AccountBytes.h"
#include "base/Locations.h"
#include "users/AccountFile.h"
#include "users/UserAccountFile.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // Where the account file lives. Never a per-user copy: with no file beside the executable and
    // that folder read-only, every user gets the one machine-wide file.
    void accountFileLocation_data() {
        QTest::addColumn<bool>("fileBesideExecutable");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<QString>("machineDir");
        QTest::addColumn<QString>("expected");
        const QString app = QStringLiteral("/opt/fc/bin/UserAcc.dat");
        const QString shared = QStringLiteral("/var/lib/field-console/UserAcc.dat");
        const QString machine = QStringLiteral("/var/lib/field-console");
        // Reading needs no write access: an installed file in a read-only folder is still the one.
        QTest::newRow("file in a read-only folder") << true << false << machine << app;
        QTest::newRow("file in a writable folder") << true << true << machine << app;
        QTest::newRow("no file, folder writable: created there") << false << true << machine << app;
        QTest::newRow("no file, folder read-only: machine-wide") << false << false << machine << shared;
        // Creating it there fails and the login says why; a private fresh file is no way out.
        QTest::newRow("no file, read-only, no machine-wide folder") << false << false << QString() << app;
    }
    void accountFileLocation() {
        QFETCH(bool, fileBesideExecutable);
        QFETCH(bool, folderWritable);
        QFETCH(QString, machineDir);
        Locations::AccountFileSituation s;
        s.applicationDirectory = QStringLiteral("/opt/fc/bin");
        s.accountFileBesideExecutable = fileBesideExecutable;
        s.applicationDirectoryWritable = folderWritable;
        s.machineDirectory = machineDir;
        QTEST(Locations::chooseAccountFile(s), "expected");
    }

    // What the file system says about a folder, and the choice that follows from it.
    void accountFileSituation_data() {
        QTest::addColumn<QString>("folderState");
        QTest::addColumn<bool>("fileBesideExecutable");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<bool>("machineWide");
        QTest::newRow("holds UserAcc.dat") << "file" << true << false << false;
        QTest::newRow("empty and writable") << "empty" << false << true << false;
        QTest::newRow("missing") << "missing" << false << false << true;
        QTest::newRow("read-only") << "read-only" << false << false << true;
    }
    void accountFileSituation() {
        QFETCH(QString, folderState);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString app = root.filePath(QStringLiteral("bin"));
        const QString machine = root.filePath(QStringLiteral("shared"));
        if (folderState != QLatin1String("missing")) QVERIFY(QDir().mkpath(app));
        if (folderState == QLatin1String("file"))
            write(QDir(app).filePath(QStringLiteral("UserAcc.dat")), {});
        if (folderState == QLatin1String("read-only")) {
#ifdef Q_OS_UNIX
            if (::geteuid() == 0) QSKIP("the superuser may write into any folder");
            QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
#else
            QSKIP("read-only folders are made with access-control lists here");
#endif
        }
        const Locations::AccountFileSituation s = Locations::accountFileSituation(app, machine);
        QFile::setPermissions(app, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTEST(s.accountFileBesideExecutable, "fileBesideExecutable");
        QTEST(s.applicationDirectoryWritable, "folderWritable");
        QFETCH(bool, machineWide);
        QCOMPARE(Locations::chooseAccountFile(s),
                 QDir(machineWide ? machine : app).filePath(QStringLiteral("UserAcc.dat")));
        QCOMPARE(QDir(app).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 folderState == QLatin1String("file") ? 1 : 0);  // the probe leaves nothing behind
    }

    // Where the icon files are looked for: Resources/ beside the executable first, then the folder a
    // Linux package installs (usr/share/field-console/Resources for a program in usr/bin).
    void resourcesDirectory_data() {
        QTest::addColumn<bool>("besideExists");
        QTest::addColumn<bool>("sharedExists");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the executable") << true << false << "usr/bin/Resources";
        QTest::newRow("installed under share") << false << true << "usr/share/field-console/Resources";
        QTest::newRow("both: beside wins") << true << true << "usr/bin/Resources";
        QTest::newRow("neither: beside, icons compiled in") << false << false << "usr/bin/Resources";
    }
    void resourcesDirectory() {
        QFETCH(bool, besideExists);
        QFETCH(bool, sharedExists);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
        if (besideExists) QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin/Resources")));
        if (sharedExists)
            QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/share/field-console/Resources")));
        QFETCH(QString, expected);
        QCOMPARE(Locations::resourcesDirectoryFor(root.filePath(QStringLiteral("usr/bin"))),
                 root.filePath(expected));
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

    // The machine-wide folder does not exist before the first start that may create it.
    void createMakesTheFolder() {
        const QString path = m_dir.filePath(QStringLiteral("var/lib/field-console/UserAcc.dat"));
        m_file.setUserInfoFileName(path);
        QString why = QStringLiteral("untouched");
        QVERIFY(m_file.CreateUserInfoFile(&why));
        QCOMPARE(read(path), defaultFile());
        QCOMPARE(why, QStringLiteral("untouched"));
    }

    // When there is no file and none can be made, the reason names the place and the cause.
    void createFailureSaysWhy_data() {
        QTest::addColumn<QString>("plainFile");  // made as an empty file first, if given
        QTest::addColumn<QString>("folder");     // made as a folder first, if given
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("why");  // %1 = the temporary folder
        QTest::newRow("a file where the folder belongs")
            << "plain"
            << ""
            << "plain/field-console/UserAcc.dat"
            << "The folder %1/plain/field-console can not be created: Not a directory.";
        QTest::newRow("a folder where the file belongs") << ""
                                                         << "UserAcc.dat"
                                                         << "UserAcc.dat"
                                                         << "%1/UserAcc.dat exists but is not a file.";
    }
    void createFailureSaysWhy() {
        QFETCH(QString, plainFile);
        QFETCH(QString, folder);
        QFETCH(QString, relativePath);
        QFETCH(QString, why);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!plainFile.isEmpty()) write(dir.filePath(plainFile), "x");
        if (!folder.isEmpty()) QVERIFY(QDir().mkpath(dir.filePath(folder)));
        m_file.setUserInfoFileName(dir.filePath(relativePath));
        QString reason;
        QVERIFY(!m_file.CreateUserInfoFile(&reason));
        QCOMPARE(reason, why.arg(QDir::toNativeSeparators(dir.path())));
    }

#ifdef Q_OS_UNIX
    // In a folder its group may write to (the machine-wide folder, root:dialout), the new file is
    // group-writable too, whatever the creator's umask: another member can change a password.
    void createdFileFollowsTheFolderGroup_data() {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("fileGroupBits");
        QTest::newRow("group may write the folder") << 0775 << int(S_IRGRP | S_IWGRP);
        QTest::newRow("only the owner may write") << 0755 << int(S_IRGRP);
    }
    void createdFileFollowsTheFolderGroup() {
        QFETCH(int, folderMode);
        const QString folder = m_dir.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        const QString path = QDir(folder).filePath(QStringLiteral("UserAcc.dat"));
        QFile::remove(path);
        m_file.setUserInfoFileName(path);
        const mode_t savedMask = ::umask(022);
        const bool created = m_file.CreateUserInfoFile();
        ::umask(savedMask);
        QVERIFY(created);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QTEST(int(info.st_mode & (S_IRGRP | S_IWGRP)), "fileGroupBits");
        QCOMPARE(int(info.st_mode & S_IWOTH), 0);
    }

    // A file this user may read but not write: logins work, a change says why it failed.
    void readOnlyFile() {
        if (::geteuid() == 0) QSKIP("the superuser may write any file");
        write(m_path, defaultFile());
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        qint32 password = 0, role = 0;
        QVERIFY(m_file.UserLookup(h("ADMIN"), password, role));
        QCOMPARE(role, 3);
        QCOMPARE(outcome(operation(m_file, QStringLiteral("ChangePassword"))),
                 QStringLiteral("error 75 clsGateway::ChangePassword(): Path/File access error (%1: "
                                "Permission denied)")
                     .arg(m_path));
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(read(m_path), defaultFile());
    }
#endif

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

    // result: "true", "false" or "taken" (refused: another record answers to the new name).
    void changeUserName_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<qint32>("roleOfNewName");  // role a login with newName reaches afterwards
        const QByteArray d = defaultFile();
        QTest::newRow("to a free name")
            << d << "ATS"
            << "Tech"
            << "true" << d.left(12) + records({{h("Tech"), h("R517"), 1}}) + d.mid(24) << 1;
        QTest::newRow("to a name in another case")
            << d << "GUEST"
            << "admin"
            << "true" << records({{h("admin"), 0, 4}}) + d.mid(12) << 4;
        // GUEST comes first: every ADMIN login would reach the guest record.
        QTest::newRow("guest to ADMIN") << d << "GUEST"
                                        << "ADMIN"
                                        << "taken" << d << 3;
        QTest::newRow("to a name another account has") << d << "ATS"
                                                       << "SU"
                                                       << "taken" << d << 2;
        // "dAs" hashes like "ADMIN" (31324): the file could not tell the two apart.
        QTest::newRow("to a name that hashes like another") << d << "ATS"
                                                            << "dAs"
                                                            << "taken" << d << 3;
        QTest::newRow("to its own name") << d << "SU"
                                         << "SU"
                                         << "true" << d << 2;
        // A later record with the same name is already out of reach; keeping the name stays allowed.
        QTest::newRow("own name with a shadowed duplicate")
            << records({{h("SU"), 1, 2}, {h("SU"), 2, 3}}) << "SU"
            << "SU"
            << "true" << records({{h("SU"), 1, 2}, {h("SU"), 2, 3}}) << 2;
        QTest::newRow("unknown name") << d << "Nobody"
                                      << "Tech"
                                      << "false" << d << 0;
    }
    void changeUserName() {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(QString, newName);
        write(m_path, before);
        const QString got = outcome([&] { return m_file.ChangeUserName(name, newName); });
        const QString taken =
            QStringLiteral(
                "error %1 clsGateway::ChangeUserName(): The new user name is already in use by "
                "another account.")
                .arg(0x80040068u);
        QFETCH(QString, result);
        QCOMPARE(got, result == QLatin1String("taken") ? taken : result);
        QTEST(read(m_path), "after");
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
