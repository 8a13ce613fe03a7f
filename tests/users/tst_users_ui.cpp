// The login loop and the two account dialogs, driven headless through the scripted UI services.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "AccountBytes.h"
#include "ScriptedUiServices.h"
#include "users/AccountFile.h"
#include "users/clsGateway.h"
#include "users/clsUser.h"
#include "users/frmChangePass.h"
#include "users/frmChangeUser.h"
#include "users/frmLogin.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

using namespace accountbytes;
using Kind = ScriptedUiServices::Kind;

namespace {

const QString kIncorrect =
    QStringLiteral("The user name or password is incorrect.\r\nUser names and passwords are case sensitive.");

QLineEdit* box(QWidget& w, const char* name) { return w.findChild<QLineEdit*>(QString::fromLatin1(name)); }

QString focusName(QWidget& w) { return w.focusWidget() ? w.focusWidget()->objectName() : QString(); }

// "text|title|icon" of each message box shown, for one comparison against a table column.
QStringList shownMessages(const ScriptedUiServices& ui) {
    QStringList out;
    for (const auto& m : ui.messages())
        out << QStringLiteral("%1|%2|%3").arg(m.text, m.title).arg(int(m.icon));
    return out;
}

QString msg(const QString& text, const QString& title, ui::Icon icon) {
    return QStringLiteral("%1|%2|%3").arg(text, title).arg(int(icon));
}

// Forwards to the scripted services and first runs a step whenever a message box comes up, as if
// something happened elsewhere (another copy of the program let go of the file) before the user
// answers it.
class MessageHook final : public ui::IUiServices {
public:
    MessageHook(ScriptedUiServices& inner, std::function<void()> onMessage)
        : m_inner(inner), m_onMessage(std::move(onMessage)) {
        ui::setServices(this);
    }
    ~MessageHook() override { ui::setServices(&m_inner); }
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;

    ui::Answer message(QWidget* parent, const QString& text, const QString& title, ui::Icon icon,
                       ui::Buttons buttons) override {
        m_onMessage();
        return m_inner.message(parent, text, title, icon, buttons);
    }
    std::optional<QString> fileDialog(QWidget* parent, const ui::FileDialogRequest& request) override {
        return m_inner.fileDialog(parent, request);
    }
    int execDialog(QDialog& dialog) override { return m_inner.execDialog(dialog); }
    void beep() override { m_inner.beep(); }

private:
    ScriptedUiServices& m_inner;
    std::function<void()> m_onMessage;
};

void showActive(QDialog& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

}  // namespace

class tst_UsersUi : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("UserAcc.dat"));
        QFile::remove(m_path);
    }

    // Each attempt is "name|password" or "cancel". Every dialog must come up with the caller's
    // preset (never an earlier attempt's name) and the focus where the preset puts it.
    void loginLoop_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("attempts");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint32>("role");
        QTest::addColumn<QStringList>("messages");
        const QString blank =
            msg(QStringLiteral("The user name can not be blank."), ui::kProductName, ui::Icon::Exclamation);
        const QString incorrect = msg(kIncorrect, ui::kProductName, ui::Icon::Exclamation);

        QTest::newRow("guest with empty password")
            << "" << QStringList{"GUEST|"} << true << "GUEST" << 4 << QStringList{};
        QTest::newRow("blank name, then ATS")
            << "" << QStringList{"|R517", "ATS|R517"} << true << "ATS" << 1 << QStringList{blank};
        QTest::newRow("lower-case guest, then cancel")
            << "" << QStringList{"guest|", "cancel"} << false << "" << 0 << QStringList{incorrect};
        QTest::newRow("preset kept after a wrong password")
            << "ADMIN" << QStringList{"ADMIN|bxzq", "SU|KWdmo"} << true << "SU" << 2
            << QStringList{incorrect};
        QTest::newRow("cancel at once") << "SU" << QStringList{"cancel"} << false << "" << 0 << QStringList{};
    }
    void loginLoop() {
        QFETCH(QString, preset);
        QFETCH(QStringList, attempts);
        QFETCH(QStringList, messages);

        ScriptedUiServices ui;
        QStringList seen;  // preset text and focus of each dialog shown
        for (const QString& attempt : attempts) {
            ui.queueDialog(QStringLiteral("frmLogin"), [attempt, &seen](QDialog& d) {
                seen << box(d, "txtUserName")->text() + QLatin1Char('/') + focusName(d);
                if (attempt == QLatin1String("cancel")) return ScriptedUiServices::click(d, "cmdCancel");
                ScriptedUiServices::setText(d, "txtUserName", attempt.section(QLatin1Char('|'), 0, 0));
                ScriptedUiServices::setText(d, "txtPassword", attempt.section(QLatin1Char('|'), 1));
                return ScriptedUiServices::click(d, "cmdOK");
            });
        }
        for (const QString& m : messages) ui.queueMessage(ui::Answer::Ok, m.section(QLatin1Char('|'), 0, 0));

        clsGateway gateway;
        gateway.setUserInfoFileName(m_path);
        QString name;
        qint32 role = 0;
        QTEST(gateway.RunLogin(name, role, preset), "loggedIn");
        QTEST(name, "name");
        QTEST(role, "role");
        QCOMPARE(shownMessages(ui), messages);
        QVERIFY(ui.allConsumed());

        const QString expectedSeen =
            preset + QLatin1Char('/') +
            (preset.isEmpty() ? QStringLiteral("txtUserName") : QStringLiteral("txtPassword"));
        QCOMPARE(seen, QStringList(QList<QString>(attempts.size(), expectedSeen)));
        QCOMPARE(read(m_path), defaultFile());  // a first start creates the defaults before asking
    }

    // What the login finds on disk and leaves there (the login itself is cancelled).
    void accountFileAtLogin_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray d = defaultFile();
        QTest::newRow("missing: created with the defaults") << QByteArray("<missing>") << d;
        QTest::newRow("no role 4: GUEST appended") << d.mid(12) << d.mid(12) + d.left(12);
        QTest::newRow("has a guest: untouched") << d << d;
        QTest::newRow("guest role under another name: untouched")
            << records({{h("Viewer"), 0, 4}}) << records({{h("Viewer"), 0, 4}});
    }
    void accountFileAtLogin() {
        QFETCH(QByteArray, before);
        if (before != "<missing>") write(m_path, before);
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("frmLogin"),
                       [](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        clsGateway gateway;
        gateway.setUserInfoFileName(m_path);
        QString name;
        qint32 role = 0;
        QVERIFY(!gateway.RunLogin(name, role, QString()));
        QVERIFY(ui.messages().isEmpty());
        QVERIFY(ui.allConsumed());
        QTEST(read(m_path), "after");
    }

    // No file and none can be made: the message says where and why, and no login is offered.
    void accountFileCannotBeCreated() {
        write(m_dir.filePath(QStringLiteral("plain")), "x");  // a file where the folder belongs
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);
        clsGateway gateway;
        gateway.setUserInfoFileName(m_dir.filePath(QStringLiteral("plain/UserAcc.dat")));
        QString name;
        qint32 role = 0;
        QVERIFY(!gateway.RunLogin(name, role, QString()));
        QCOMPARE(shownMessages(ui),
                 QStringList{msg(QStringLiteral("Can not find/create the User Info File\r\nThe folder %1 can "
                                                "not be created: Not a directory.")
                                     .arg(QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("plain")))),
                                 ui::kProductName, ui::Icon::Critical)});
        QVERIFY(ui.callsOf(Kind::ExecDialog).isEmpty());
    }

    // The account file is held by another copy of the program, when the login starts or while the
    // typed name is checked. Each answer is "cancel", "retry" (still held) or "release" (the
    // holder lets go while the box is up, then Retry). Retry repeats the step that failed; the
    // name and password typed are checked again without a new dialog.
    void accountFileHeldAtLogin_data() {
        QTest::addColumn<QString>("heldFrom");  // "start" or "check"
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("at start, cancel") << "start" << QStringList{"cancel"} << false << 0;
        QTest::newRow("at start, retry twice") << "start" << QStringList{"retry", "release"} << true << 1;
        QTest::newRow("at the check, retry") << "check" << QStringList{"release"} << true << 1;
        QTest::newRow("at the check, retry then cancel")
            << "check" << QStringList{"retry", "cancel"} << false << 1;
    }
    void accountFileHeldAtLogin() {
        QFETCH(QString, heldFrom);
        QFETCH(QStringList, answers);
        write(m_path, defaultFile());
        std::unique_ptr<AccountFile> holder;
        if (heldFrom == QLatin1String("start")) holder = AccountFile::open(m_path, AccountFile::Mode::Update);

        ScriptedUiServices scripted;
        const QString locked = QStringLiteral("Another process has the UIF locked.");
        for (const QString& a : answers)
            scripted.queueMessage(a == QLatin1String("cancel") ? ui::Answer::Cancel : ui::Answer::Retry,
                                  locked);
        QFETCH(int, dialogs);
        for (int i = 0; i < dialogs; ++i) {
            scripted.queueDialog(QStringLiteral("frmLogin"), [&](QDialog& d) {
                ScriptedUiServices::setText(d, "txtUserName", QStringLiteral("ADMIN"));
                ScriptedUiServices::setText(d, "txtPassword", QStringLiteral("Bxzq"));
                if (heldFrom == QLatin1String("check"))
                    holder = AccountFile::open(m_path, AccountFile::Mode::Update);
                return ScriptedUiServices::click(d, "cmdOK");
            });
        }
        int shown = 0;
        MessageHook hook(scripted, [&] {
            if (shown < answers.size() && answers.at(shown) == QLatin1String("release")) holder.reset();
            ++shown;
        });

        clsGateway gateway;
        gateway.setUserInfoFileName(m_path);
        QString name;
        qint32 role = 0;
        QTEST(gateway.RunLogin(name, role, QString()), "loggedIn");
        QFETCH(bool, loggedIn);
        QCOMPARE(role, loggedIn ? 3 : 0);
        QVERIFY(scripted.allConsumed());
        QCOMPARE(scripted.unexpectedCalls(), 0);
        for (const auto& m : scripted.messages()) {
            QCOMPARE(m.text, locked);
            QCOMPARE(m.title, ui::kProductName);
            QCOMPARE(m.buttons, ui::Buttons::RetryCancel);
        }
        QCOMPARE(scripted.callsOf(Kind::ExecDialog).size(), dialogs);
        holder.reset();
        QCOMPARE(read(m_path), defaultFile());
    }

#ifdef Q_OS_UNIX
    // A file this user may not read: its own message with Retry and Cancel. A file this user may only
    // read: logins work, and a password change says that it failed and why.
    void fileWithoutAccess() {
        if (::geteuid() == 0) QSKIP("the superuser may read and write any file");
        write(m_path, defaultFile());
        const QString denied = QStringLiteral("Path/File access error (%1: Permission denied)").arg(m_path);
        ScriptedUiServices ui;
        clsGateway gateway;
        gateway.setUserInfoFileName(m_path);
        QString name;
        qint32 role = 0;

        QVERIFY(QFile::setPermissions(m_path, QFileDevice::Permissions{}));
        ui.queueMessage(ui::Answer::Retry, denied);
        ui.queueMessage(ui::Answer::Cancel, denied);
        QVERIFY(!gateway.RunLogin(name, role, QString()));
        QCOMPARE(ui.messages().size(), 2);
        QCOMPARE(ui.messages().constLast().buttons, ui::Buttons::RetryCancel);
        QVERIFY(ui.callsOf(Kind::ExecDialog).isEmpty());

        ui.clear();
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner));
        ui.queueDialog(QStringLiteral("frmLogin"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtUserName", QStringLiteral("ATS"));
            ScriptedUiServices::setText(d, "txtPassword", QStringLiteral("R517"));
            return ScriptedUiServices::click(d, "cmdOK");
        });
        QVERIFY(gateway.RunLogin(name, role, QString()));
        QCOMPARE(role, 1);

        ui.queueMessage(ui::Answer::Ok);
        frmChangePass dialog(m_path, QStringLiteral("ATS"));
        showActive(dialog);
        box(dialog, "txtOldPassword")->setText(QStringLiteral("R517"));
        box(dialog, "txtNewPassword")->setText(QStringLiteral("n"));
        box(dialog, "txtConfirmPassword")->setText(QStringLiteral("n"));
        ScriptedUiServices::click(dialog, "cmdOK");
        QCOMPARE(ui.messages().constLast().text,
                 QStringLiteral("Error #75\r\n%1\r\nUnable to change password.").arg(denied));
        QVERIFY(dialog.isVisible());
        QVERIFY(ui.allConsumed());
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(read(m_path), defaultFile());
    }

    // A guest account that cannot be added is reported, and the login goes on.
    void guestCannotBeAdded() {
        const QByteArray withoutGuest = defaultFile().mid(12);
        write(m_path, withoutGuest);
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);
        ui.queueDialog(QStringLiteral("frmLogin"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtUserName", QStringLiteral("ATS"));
            ScriptedUiServices::setText(d, "txtPassword", QStringLiteral("R517"));
            return ScriptedUiServices::click(d, "cmdOK");
        });
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = saved;
        full.rlim_cur = rlim_t(withoutGuest.size());  // the disk is full
        setrlimit(RLIMIT_FSIZE, &full);
        clsGateway gateway;
        gateway.setUserInfoFileName(m_path);
        QString name;
        qint32 role = 0;
        const bool loggedIn = gateway.RunLogin(name, role, QString());
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(loggedIn);
        QCOMPARE(role, 1);
        QCOMPARE(shownMessages(ui),
                 QStringList{msg(QStringLiteral("Can not create GUEST account in User Info File"),
                                 ui::kProductName, ui::Icon::Exclamation)});
        QCOMPARE(read(m_path), withoutGuest);
    }
#endif

    void loginDialogFocus_data() {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("focus");
        QTest::newRow("preset name") << "SU"
                                     << "txtPassword";
        QTest::newRow("no preset") << ""
                                   << "txtUserName";
    }
    void loginDialogFocus() {
        QFETCH(QString, preset);
        frmLogin dialog;
        dialog.SetDefaultUserName(preset);
        showActive(dialog);
        QTEST(focusName(dialog), "focus");
        QCOMPARE(box(dialog, "txtPassword")->echoMode(), QLineEdit::Password);

        // Clicking into the name box selects the whole name, whatever the click position.
        QLineEdit* name = box(dialog, "txtUserName");
        box(dialog, "txtPassword")->setFocus();
        QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(2, name->height() / 2));
        QTRY_COMPARE(name->selectedText(), preset);
        QCOMPARE(focusName(dialog), QStringLiteral("txtUserName"));
    }

    void loginDialogTexts() {
        frmLogin dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Login"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblUserName"))->text(),
                 QStringLiteral("&User Name:"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblPassword"))->text(),
                 QStringLiteral("&Password:"));
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->text(),
                 QStringLiteral("Cancel"));
    }

    void changePassword_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("focusAfter");  // where a rejected attempt leaves the focus
        QTest::addColumn<QByteArray>("after");
        const QString title = QStringLiteral("Change Password");
        const QByteArray d = defaultFile();
        QTest::newRow("changed") << "ATS"
                                 << "R517"
                                 << "Volt9"
                                 << "Volt9"
                                 << msg(QStringLiteral("Password changed successfully."), title,
                                        ui::Icon::Information)
                                 << true << ""
                                 << d.left(12) + records({{h("ATS"), h("Volt9"), 1}}) + d.mid(24);
        QTest::newRow("another account's password")
            << "SU"
            << "KWdmo"
            << "x"
            << "x" << msg(QStringLiteral("Password changed successfully."), title, ui::Icon::Information)
            << true << "" << d.left(24) + records({{h("SU"), h("x"), 2}}) + d.mid(36);
        QTest::newRow("confirmation differs in case")
            << "ATS"
            << "R517"
            << "Volt9"
            << "volt9"
            << msg(QStringLiteral("The new passwords typed do not match."), title, ui::Icon::Exclamation)
            << false << "txtOldPassword" << d;
        QTest::newRow("wrong old password")
            << "ATS"
            << "r517"
            << "Volt9"
            << "Volt9" << msg(kIncorrect, title, ui::Icon::Exclamation) << false << "txtOldPassword" << d;
        QTest::newRow("user name emptied")
            << ""
            << "R517"
            << "Volt9"
            << "Volt9" << msg(kIncorrect, title, ui::Icon::Exclamation) << false << "txtUserName" << d;
    }
    void changePassword() {
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(bool, closed);
        write(m_path, defaultFile());
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);

        frmChangePass dialog(m_path, QStringLiteral("ATS"));
        showActive(dialog);
        QCOMPARE(box(dialog, "txtUserName")->text(), QStringLiteral("ATS"));
        QCOMPARE(focusName(dialog), QStringLiteral("txtOldPassword"));
        box(dialog, "txtUserName")->setText(user);
        QFETCH(QString, oldPassword);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirm);
        box(dialog, "txtOldPassword")->setText(oldPassword);
        box(dialog, "txtNewPassword")->setText(newPassword);
        box(dialog, "txtConfirmPassword")->setText(confirm);
        ScriptedUiServices::click(dialog, "cmdOK");

        QCOMPARE(shownMessages(ui), QStringList{message});
        QCOMPARE(dialog.isVisible(), !closed);
        QCOMPARE(dialog.result() == QDialog::Accepted, closed);
        QTEST(read(m_path), "after");
        if (!closed) {
            for (const char* name : {"txtOldPassword", "txtNewPassword", "txtConfirmPassword"})
                QVERIFY2(box(dialog, name)->text().isEmpty(), name);
            QCOMPARE(box(dialog, "txtUserName")->text(), user);
            QTEST(focusName(dialog), "focusAfter");
        }
    }

    // A failure of the file is reported with its number, and the dialog keeps what was typed.
    void changePasswordWithoutFile() {
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);
        frmChangePass dialog(m_path, QStringLiteral("ATS"));
        showActive(dialog);
        box(dialog, "txtOldPassword")->setText(QStringLiteral("R517"));
        box(dialog, "txtNewPassword")->setText(QStringLiteral("n"));
        box(dialog, "txtConfirmPassword")->setText(QStringLiteral("n"));
        ScriptedUiServices::click(dialog, "cmdOK");
        QCOMPARE(shownMessages(ui),
                 QStringList{
                     msg(QStringLiteral("Error #-2147221402\r\nUser Info File does not exist in application "
                                        "directory.\r\nUnable to change password."),
                         QStringLiteral("Change Password"), ui::Icon::Critical)});
        QVERIFY(dialog.isVisible());
        QCOMPARE(box(dialog, "txtOldPassword")->text(), QStringLiteral("R517"));
        QCOMPARE(read(m_path), QByteArray("<missing>"));
    }

    void changeUserName_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("nameAfter");     // the current user's name afterwards
        QTest::addColumn<QStringList>("lastUser");  // names stored for the next login
        QTest::addColumn<QByteArray>("after");
        const QString title = QStringLiteral("Change User Name");
        const QString done =
            msg(QStringLiteral("User name changed successfully."), title, ui::Icon::Information);
        const QByteArray d = defaultFile();
        QTest::newRow("renamed") << "ATS"
                                 << "Tech"
                                 << "Tech" << done << true << "Tech" << QStringList{"Tech"}
                                 << d.left(12) + records({{h("Tech"), h("R517"), 1}}) + d.mid(24);
        const QString taken = msg(QStringLiteral("The new user name is already in use by another account."),
                                  title, ui::Icon::Exclamation);
        // GUEST comes first in the file: every ADMIN login would reach the guest record.
        QTest::newRow("guest to ADMIN refused") << "GUEST"
                                                << "ADMIN"
                                                << "ADMIN" << taken << false << "GUEST" << QStringList{} << d;
        QTest::newRow("to a name another account has refused")
            << "ATS"
            << "SU"
            << "SU" << taken << false << "ATS" << QStringList{} << d;
        QTest::newRow("confirmation differs in case")
            << "ATS"
            << "Tech"
            << "tech"
            << msg(QStringLiteral("The new user names typed do not match."), title, ui::Icon::Exclamation)
            << false << "ATS" << QStringList{} << d;
        QTest::newRow("empty name refused")
            << "ATS"
            << ""
            << "" << msg(QStringLiteral("The new user name can not be blank."), title, ui::Icon::Exclamation)
            << false << "ATS" << QStringList{} << d;
        QTest::newRow("current name not in the file")
            << "Nobody"
            << "Tech"
            << "Tech"
            << msg(QStringLiteral("Error #-2147221401\r\nInternal Error - Unable to locate current user's "
                                  "name.\r\nUnable to change usernames."),
                   title, ui::Icon::Critical)
            << false << "Nobody" << QStringList{} << d;
    }
    void changeUserName() {
        QFETCH(QString, current);
        QFETCH(QString, newName);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        QFETCH(bool, closed);
        write(m_path, defaultFile());
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok);
        clsUser user;
        user.setName(current);
        user.setRole(1);
        QStringList stored;

        frmChangeUser dialog(m_path, user, [&stored](const QString& name) { stored << name; });
        showActive(dialog);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblCurrentName"))->text(), current);
        QCOMPARE(focusName(dialog), QStringLiteral("txtName"));
        box(dialog, "txtName")->setText(newName);
        box(dialog, "txtNameConf")->setText(confirm);
        ScriptedUiServices::click(dialog, "cmdOK");

        QCOMPARE(shownMessages(ui), QStringList{message});
        QCOMPARE(dialog.isVisible(), !closed);
        QTEST(user.Name(), "nameAfter");
        QTEST(stored, "lastUser");
        QTEST(read(m_path), "after");
        if (!closed && !message.contains(QLatin1String("Error #"))) {
            QVERIFY(box(dialog, "txtName")->text().isEmpty());
            QVERIFY(box(dialog, "txtNameConf")->text().isEmpty());
            QCOMPARE(focusName(dialog), QStringLiteral("txtName"));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_MAIN(tst_UsersUi)
#include "tst_users_ui.moc"
