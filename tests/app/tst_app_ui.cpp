// The application shell with widgets: start-up, the main window (settings, menus, connection, tray),
// the options and About windows, and the whole program run in-process.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "ScriptedUiServices.h"
#include "app/AppIcons.h"
#include "app/ConnectionStatus.h"
#include "app/FieldConsole.h"
#include "app/MainWindowSettings.h"
#include "app/RefreshStatus.h"
#include "app/clsApplication.h"
#include "app/clsQTR_Registry.h"
#include "app/clsQTR_TrayIcon.h"
#include "app/frmOptions.h"
#include "app/mdiMain.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "users/AccountFile.h"
#include "users/clsUser.h"

namespace {

const QString kBase = QStringLiteral("Software\\Corvanta\\Field Console\\1.6.1\\");
constexpr qint32 kSourceInfo = 3;

// The application object with a logged-in user and its main window, as StartApp leaves them.
struct Session {
    explicit Session(qint32 role = 3, clsApplication::RunOptions options = {}) : app(options) {
        app.LoginAs(QStringLiteral("ADMIN"), role);
        main = std::make_unique<mdiMain>();
    }
    ~Session() { main.reset(); }  // the window goes before the manager it drives
    clsApplication app;
    std::unique_ptr<mdiMain> main;
};

QImage imageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

QAction* actionOf(QWidget& window, const char* name) {
    auto* a = window.findChild<QAction*>(QString::fromLatin1(name));
    if (!a) qFatal("no action %s", name);
    return a;
}

// What the opening of each menu decides.
void openMenus(mdiMain& w) {
    for (const char* name : {"mnuFile", "mnuConnect", "mnuWindow"})
        emit w.findChild<QMenu*>(QString::fromLatin1(name))->aboutToShow();
}

}  // namespace

class TestAppUi : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<ScriptedUiServices> m_ui;

    QString iniPath() const { return m_home->filePath(QStringLiteral("FieldConsole.ini")); }
    // A value as the next start would read it.
    QVariant stored(const QString& key, const QString& name, qint32 type) const {
        clsQTR_Registry r(iniPath());
        r.setSubKey(kBase + key);
        r.OpenKey();
        return r.Value(name, type);
    }
    void store(const QString& key, const QString& name, qint32 value) const {
        clsQTR_Registry r(iniPath());
        r.setAutoCreate(true);
        r.setSubKey(kBase + key);
        r.OpenKey();
        r.setValue(name, clsQTR_Registry::REG_DWORD, value);
        r.CloseKey();
    }
    void queueLogin(const QString& name, const QString& password, QString* presetSeen = nullptr) {
        m_ui->queueDialog(QStringLiteral("frmLogin"), [=](QDialog& d) {
            if (presetSeen) *presetSeen = d.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->text();
            ScriptedUiServices::setText(d, "txtUserName", name);
            ScriptedUiServices::setText(d, "txtPassword", password);
            return ScriptedUiServices::click(d, "cmdOK");
        });
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("FC_HOME", m_home->path().toLocal8Bit());
        m_ui = std::make_unique<ScriptedUiServices>();
    }
    void cleanup() {
        const bool consumed = m_ui->allConsumed();
        m_ui.reset();
        qunsetenv("FC_HOME");
        m_home.reset();
        QVERIFY2(consumed, "answers were queued for calls that never came");
    }

    // --- the whole program -----------------------------------------------------------------------------

    // The program as main() runs it, with --demo: log in, connect through the menu, see polls come
    // back, exit through the menu. The demo port is not stored.
    void endToEndDemoRun() {
        queueLogin(QStringLiteral("ADMIN"), QStringLiteral("Bxzq"));
        m_ui->queueDialog(QStringLiteral("frmAddWindow"), [](QDialog& d) {
            auto* list = d.findChild<QListWidget*>(QStringLiteral("lstWindows"));
            const auto items = list->findItems(QStringLiteral("Source Info"), Qt::MatchExactly);
            if (items.size() != 1) return int(QDialog::Rejected);
            items.first()->setSelected(true);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        m_ui->queueMessage(ui::Answer::No, QStringLiteral("save the current screen"));

        QString title, tooltip;
        int ticks = 0, replies = 0;
        bool visible = false;
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        safety.start(60000);
        // The scenario starts once the start-up is over and the event loop runs (the login dialog lets
        // events run too, so a plain zero timer could fire before the main window exists).
        QTimer scenario;
        scenario.setInterval(20);
        connect(&scenario, &QTimer::timeout, [&] {
            const clsApplication* app = clsApplication::instance();
            if (!app || !app->MainWindow()) return;
            scenario.stop();
            mdiMain* w = mdiMain::instance();
            visible = w->isVisible();
            title = w->windowTitle();
            QSignalSpy tickSpy(w->scanLoop(), &CScanLoop::ticked);
            QSignalSpy replySpy(clsApplication::instance()->MsgManager(), &CMsgManager::MessageReady);
            actionOf(*w, "mnuWindowNew")->trigger();
            actionOf(*w, "mnuConnConnect")->trigger();
            tooltip = w->connectionStatus().tray().Tooltip();
            for (int i = 0; i < 50 && replySpy.count() < 2; ++i) replySpy.wait(200);
            ticks = int(tickSpy.count());
            replies = int(replySpy.count());
            actionOf(*w, "mnuFileExit")->trigger();
        });
        scenario.start();
        char arg0[] = "field-console";
        char arg1[] = "--demo";
        char* argv[] = {arg0, arg1, nullptr};
        int argc = 2;
        const int rc = FieldConsole::run(argc, argv);
        safety.stop();

        QCOMPARE(rc, 0);
        QVERIFY(visible);
        QCOMPARE(title, QStringLiteral("Corvanta Field Console"));
        QCOMPARE(tooltip, QStringLiteral("Connected - COM0"));
        QVERIFY(ticks >= 2);
        QVERIFY2(replies >= 2, "no replies from the simulated controller");
        QVERIFY(!mdiMain::instance());
        QCOMPARE(
            stored(QStringLiteral("Users"), QStringLiteral("LastUser"), clsQTR_Registry::REG_SZ).toString(),
            QStringLiteral("ADMIN"));
        QCOMPARE(stored(QStringLiteral("Settings"), QStringLiteral("LastPortNum"), clsQTR_Registry::REG_DWORD)
                     .toInt(),
                 1);
    }

    // --- start-up ------------------------------------------------------------------------------------

    void startAppCancelled() {
        m_ui->queueDialog(QStringLiteral("frmLogin"),
                          [](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        clsApplication app;
        app.StartApp();
        QVERIFY(!app.MainWindow());
        QVERIFY(!app.MsgManager());
        QVERIFY(!app.CurrentUser());
        QVERIFY(m_ui->messages().isEmpty());
    }

    // A login shows the main window and remembers the name; the next start presets it.
    void startAppRemembersUser() {
        {
            queueLogin(QStringLiteral("ATS"), QStringLiteral("R517"));
            clsApplication app;
            app.StartApp();
            QVERIFY(app.MainWindow());
            QVERIFY(qobject_cast<mdiMain*>(app.MainWindow())->isVisible());
            QCOMPARE(app.CurrentUser()->Name(), QStringLiteral("ATS"));
            QCOMPARE(app.CurrentUser()->Role(), 1);
            QVERIFY(app.MsgManager());
        }
        QString preset;
        m_ui->queueDialog(QStringLiteral("frmLogin"), [&](QDialog& d) {
            preset = d.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        clsApplication next;
        next.StartApp();
        QCOMPARE(preset, QStringLiteral("ATS"));
    }

    // A settings store that cannot be written ends the start-up with the debug box, before the login.
    void startAppStoreFailure() {
        QVERIFY(QDir().mkpath(iniPath()));  // a folder where the file should be
        m_ui->queueMessage(ui::Answer::Ok, QStringLiteral("Unhandled Error"));
        clsApplication app;
        app.StartApp();
        QVERIFY(!app.MainWindow());
        const auto msg = m_ui->messages().constFirst();
        QCOMPARE(msg.title, QStringLiteral("DEBUG"));
        QCOMPARE(msg.icon, ui::Icon::Critical);
        QVERIFY(m_ui->callsOf(ScriptedUiServices::Kind::ExecDialog).isEmpty());
    }

    // The store fails while the main window loads: the debug box, and no half-built window is left.
    void startAppLoadFailure() {
        m_ui->queueDialog(QStringLiteral("frmLogin"), [this](QDialog& d) {
            QFile::remove(iniPath());
            QDir().mkpath(iniPath());
            ScriptedUiServices::setText(d, "txtUserName", QStringLiteral("SU"));
            ScriptedUiServices::setText(d, "txtPassword", QStringLiteral("KWdmo"));
            return ScriptedUiServices::click(d, "cmdOK");
        });
        m_ui->queueMessage(ui::Answer::Ok, QStringLiteral("Unhandled Error"));
        clsApplication app;
        app.StartApp();
        QVERIFY(!app.MainWindow());
        QVERIFY(!mdiMain::instance());
        QCOMPARE(m_ui->messages().constFirst().title, QStringLiteral("DEBUG"));
    }

    // The account file held by another copy of the program at start-up: its own message with Retry
    // and Cancel, never the debug box. Retry while it is still held asks again; Cancel ends the
    // program with status 0 and no window, like a cancelled login.
    void startAccountFileLocked() {
        const QString path = clsApplication::UserInfoFullFileName();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const auto holder = AccountFile::open(path, AccountFile::Mode::Update);
        const QString locked = QStringLiteral("Another process has the UIF locked.");
        m_ui->queueMessage(ui::Answer::Retry, locked);
        m_ui->queueMessage(ui::Answer::Cancel, locked);
        char arg0[] = "field-console";
        char* argv[] = {arg0, nullptr};
        int argc = 1;
        QCOMPARE(FieldConsole::run(argc, argv), 0);
        QVERIFY(!mdiMain::instance());
        QCOMPARE(m_ui->messages().size(), 2);
        for (const auto& m : m_ui->messages()) {
            QCOMPARE(m.text, locked);
            QCOMPARE(m.title, QStringLiteral("Field Console"));
            QCOMPARE(m.buttons, ui::Buttons::RetryCancel);
        }
        QVERIFY(m_ui->callsOf(ScriptedUiServices::Kind::ExecDialog).isEmpty());
    }

    // An unreadable "LastUser" is skipped: the login still comes, without a preset name.
    void startAppSkipsUnreadableLastUser() {
        store(QStringLiteral("Users"), QStringLiteral("LastUser"), 42);  // a number where text belongs
        QString preset = QStringLiteral("unset");
        m_ui->queueDialog(QStringLiteral("frmLogin"), [&](QDialog& d) {
            preset = d.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        clsApplication app;
        app.StartApp();
        QCOMPARE(preset, QString());
        QVERIFY(m_ui->messages().isEmpty());
    }

    // --- settings ------------------------------------------------------------------------------------

    // A first start runs on the defaults and leaves all seven values in the store, the window placement
    // in twips of the window's screen.
    void firstStartWritesAllSevenValues() {
        Session s;
        mdiMain& w = *s.main;
        QCOMPARE(w.COM_Number(), qint16(1));
        QCOMPARE(w.ReadScanRate(), qint16(500));
        QCOMPARE(w.WriteScanRate(), qint16(500));
        QCOMPARE(w.scanLoop()->interval(), 500);
        QVERIFY(!w.scanLoop()->isScanning());
        const int dpi = w.logicalDpiX();
        const auto dword = [&](const char* key, const char* name) {
            return stored(QString::fromLatin1(key), QString::fromLatin1(name), clsQTR_Registry::REG_DWORD)
                .toInt();
        };
        QCOMPARE(dword("Start", "Wnd_Left"), w.pos().x() * 1440 / dpi);
        QCOMPARE(dword("Start", "Wnd_Top"), w.pos().y() * 1440 / dpi);
        QCOMPARE(dword("Start", "Wnd_Width"), w.width() * 1440 / dpi);
        QCOMPARE(dword("Start", "Wnd_Height"), w.height() * 1440 / dpi);
        QCOMPARE(dword("Settings", "LastPortNum"), 1);
        QCOMPARE(dword("Settings", "LastReadScanRate"), 500);
        QCOMPARE(dword("Settings", "LastWriteScanRate"), 500);
    }

    void settingsRestored_data() {
        QTest::addColumn<QList<int>>("twips");  // left, top, width, height as stored
        QTest::addColumn<bool>("placed");       // the window takes them
        const int dpi = 96;                     // the offscreen screen
        const int t = 1440 / dpi;
        QTest::newRow("on screen") << QList<int>{40 * t, 30 * t, 500 * t, 400 * t} << true;
        QTest::newRow("far right") << QList<int>{100000 * t, 30 * t, 500 * t, 400 * t} << false;
        QTest::newRow("above the screen") << QList<int>{40 * t, -2000 * t, 500 * t, 400 * t} << false;
        QTest::newRow("no size") << QList<int>{40 * t, 30 * t, 0, 0} << false;
    }
    // Stored port, rates and placement come back at the next start; a placement off every screen
    // (or without a size) is ignored and the window keeps its design place.
    void settingsRestored() {
        QFETCH(QList<int>, twips);
        QFETCH(bool, placed);
        store(QStringLiteral("Settings"), QStringLiteral("LastPortNum"), 7);
        store(QStringLiteral("Settings"), QStringLiteral("LastReadScanRate"), 120);
        store(QStringLiteral("Settings"), QStringLiteral("LastWriteScanRate"), 0);  // below 1: 500
        const char* names[] = {"Wnd_Left", "Wnd_Top", "Wnd_Width", "Wnd_Height"};
        for (int i = 0; i < 4; ++i)
            store(QStringLiteral("Start"), QString::fromLatin1(names[i]), twips.at(i));

        Session s;
        QCOMPARE(s.main->COM_Number(), qint16(7));
        QCOMPARE(s.main->ReadScanRate(), qint16(120));
        QCOMPARE(s.main->WriteScanRate(), qint16(500));
        QCOMPARE(s.main->scanLoop()->interval(), 120);
        QCOMPARE(s.main->logicalDpiX(), 96);
        const QRect expected(twips.at(0) / 15, twips.at(1) / 15, twips.at(2) / 15, twips.at(3) / 15);
        const QRect actual(s.main->pos(), s.main->size());
        QCOMPARE(actual == expected, placed);
        if (!placed) QVERIFY(s.main->screen()->availableGeometry().contains(actual.center()));
    }

    // --demo uses port 0 for the run; the stored port stays what it was.
    void demoPortNotStored() {
        store(QStringLiteral("Settings"), QStringLiteral("LastPortNum"), 4);
        {
            Session s(3, clsApplication::RunOptions{true});
            QCOMPARE(s.main->COM_Number(), qint16(0));
            s.main->SaveSettings();
        }
        QCOMPARE(stored(QStringLiteral("Settings"), QStringLiteral("LastPortNum"), clsQTR_Registry::REG_DWORD)
                     .toInt(),
                 4);
    }

    // --- menus ---------------------------------------------------------------------------------------

    void menuRules_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("window");      // a display window (with a setup dialog) is open
        QTest::addColumn<bool>("screenFile");  // a screen file name is set
        QTest::addColumn<int>("role");
        for (bool connected : {false, true})
            for (bool window : {false, true})
                for (bool screenFile : {false, true})
                    for (int role = 1; role <= 4; ++role)
                        QTest::addRow("%s, %s, %s, role %d", connected ? "connected" : "not connected",
                                      window ? "window" : "no window", screenFile ? "file" : "no file", role)
                            << connected << window << screenFile << role;
    }
    // The enabling rules of the File, Connection and Window menus, evaluated as each menu opens.
    void menuRules() {
        QFETCH(bool, connected);
        QFETCH(bool, window);
        QFETCH(bool, screenFile);
        QFETCH(int, role);
        Session s(role, clsApplication::RunOptions{true});
        mdiMain& w = *s.main;
        if (window) QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        if (screenFile) w.setScreenFileName(m_home->filePath(QStringLiteral("a.scn")));
        if (connected) QVERIFY(w.ConnectLink());
        const auto enabled = [&](const char* name) { return actionOf(w, name)->isEnabled(); };
        if (connected && window) {
            // Right after Connect nothing has been read: no setup yet, whoever asks.
            openMenus(w);
            QVERIFY(!enabled("mnuWindowSetup"));
            CDisplayWindow* dw = w.WindowMgr()->DisplayWindows().constFirst();
            QTRY_VERIFY_WITH_TIMEOUT(dw->Data().IsFresh(), 10000);
        }
        openMenus(w);

        QCOMPARE(enabled("mnuFileOpen"), true);
        QCOMPARE(enabled("mnuFileSaveAs"), window);
        QCOMPARE(enabled("mnuFileSave"), window && screenFile);
        QCOMPARE(enabled("mnuFileRestoreSetup"), connected);
        QCOMPARE(enabled("mnuFileSaveSetup"), connected);
        QCOMPARE(enabled("mnuConnConnect"), !connected);
        QCOMPARE(enabled("mnuConnDisconnect"), connected);
        QCOMPARE(enabled("mnuWindowClose"), window);
        QCOMPARE(enabled("mnuWindowCloseAll"), window);
        QCOMPARE(enabled("mnuWindowSetup"), window && connected && role != 4);
    }

    // Every menu caption comes from the string table.
    void menuCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const std::pair<const char*, const char*> rows[] = {{"mnuFileOpen", "&Open Screen..."},
                                                            {"mnuFileSave", "&Save Screen"},
                                                            {"mnuFileSaveAs", "Save Screen &As..."},
                                                            {"mnuFileRestoreSetup", "&Restore Setup..."},
                                                            {"mnuFileSaveSetup", "Sa&ve Setup..."},
                                                            {"mnuFileExit", "E&xit"},
                                                            {"mnuEditCut", "Cu&t"},
                                                            {"mnuEditCopy", "&Copy"},
                                                            {"mnuEditPaste", "&Paste"},
                                                            {"mnuConnConnect", "&Connect"},
                                                            {"mnuConnDisconnect", "&Disconnect"},
                                                            {"mnuToolsChangePW", "Change &Password..."},
                                                            {"mnuToolsUser", "Change &User Name..."},
                                                            {"mnuToolsOptions", "&Options..."},
                                                            {"mnuWindowNew", "&New Window..."},
                                                            {"mnuWindowClose", "&Close"},
                                                            {"mnuWindowCloseAll", "Close &All"},
                                                            {"mnuWindowSetup", "&Setup..."},
                                                            {"mnuWindowArrange", "&Arrange Icons"},
                                                            {"mnuWindowCascade", "&Cascade Windows"},
                                                            {"mnuHelpTopics", "Help &Topics"},
                                                            {"mnuHelpAbout", "&About..."},
                                                            {"mnuFile", "&File"},
                                                            {"mnuEdit", "&Edit"},
                                                            {"mnuConnect", "&Connection"},
                                                            {"mnuTools", "&Tools"},
                                                            {"mnuWindow", "&Window"},
                                                            {"mnuWindowList", "Display Windows"},
                                                            {"mnuHelp", "&Help"}};
        for (const auto& [name, caption] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
    }
    void menuCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Session s;
        if (auto* menu = s.main->findChild<QMenu*>(name))
            QCOMPARE(menu->title(), caption);
        else
            QCOMPARE(actionOf(*s.main, name.toLatin1().constData())->text(), caption);
    }

    // --- connection ----------------------------------------------------------------------------------

    void connectFailureChangesNothing_data() {
        QTest::addColumn<QString>("device");  // override for port 5; empty = a number without a device
        QTest::addColumn<QString>("reason");  // in the status bar
        QTest::newRow("missing device")
            << QStringLiteral("/nonexistent/ttyFC0") << QStringLiteral("no such device");
        QTest::newRow("number without device") << QString() << QStringLiteral("no device has this number");
    }
    // A port that cannot be opened: the tray stays "Disconnected", no message box, the status bar
    // says why, and the Connection menu still offers Connect.
    void connectFailureChangesNothing() {
        QFETCH(QString, device);
        QFETCH(QString, reason);
        Session s;
        mdiMain& w = *s.main;
        if (device.isEmpty())
            w.setCOM_Number(250);
        else {
            w.scanLoop()->serial().setPortOverrides({{5, device}});
            w.setCOM_Number(5);
        }
        clsQTR_TrayIcon& tray = w.connectionStatus().tray();
        const QImage before = imageOf(tray.Icon());
        QVERIFY(!w.ConnectLink());
        QCOMPARE(tray.Tooltip(), QStringLiteral("Disconnected"));
        QCOMPARE(imageOf(tray.Icon()), before);
        QVERIFY(!w.scanLoop()->isScanning());
        QVERIFY(m_ui->messages().isEmpty());
        QVERIFY2(w.statusBar()->currentMessage().contains(reason),
                 qPrintable(w.statusBar()->currentMessage()));
        openMenus(w);
        QVERIFY(actionOf(w, "mnuConnConnect")->isEnabled());
        QVERIFY(!actionOf(w, "mnuConnDisconnect")->isEnabled());
    }

    // Port 0: the simulated controller answers the polls; tray and status bar say "Connected - COM0".
    // A port changed in the options while connected shows only at the next Connect. Disconnect
    // stops polling and keeps the queue.
    void connectPollsSimulatedController() {
        Session s(3, clsApplication::RunOptions{true});
        mdiMain& w = *s.main;
        CMsgManager& manager = *s.app.MsgManager();
        QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        const qint16 queued = manager.queueSize();
        QVERIFY(queued > 0);
        QSignalSpy replies(&manager, &CMsgManager::MessageReady);

        QVERIFY(w.ConnectLink());
        clsQTR_TrayIcon& tray = w.connectionStatus().tray();
        QCOMPARE(tray.Tooltip(), QStringLiteral("Connected - COM0"));
        QCOMPARE(imageOf(tray.Icon()), imageOf(AppIcons::load(AppIcons::Kind::Connected)));
        QCOMPARE(tray.State(), clsQTR_TrayIcon::kModified);
        QVERIFY(!tray.inNotificationArea());  // offscreen: the status bar shows it
        QCOMPARE(w.connectionStatus().indicatorText()->text(), QStringLiteral("Connected - COM0"));
        QVERIFY(w.connectionStatus().indicatorText()->isVisibleTo(&w));
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() >= 2, 10000);
        QCOMPARE(replies.first().first().toInt(), kSourceInfo);

        m_ui->queueDialog(QStringLiteral("frmOptions"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtPortNo", QStringLiteral("3"));
            return ScriptedUiServices::click(d, "cmdOK");
        });
        actionOf(w, "mnuToolsOptions")->trigger();
        QCOMPARE(w.COM_Number(), qint16(3));
        QCOMPARE(tray.Tooltip(), QStringLiteral("Connected - COM0"));

        QVERIFY(w.DisconnectLink());
        QCOMPARE(tray.Tooltip(), QStringLiteral("Disconnected"));
        QCOMPARE(imageOf(tray.Icon()), imageOf(AppIcons::load(AppIcons::Kind::Disconnected)));
        QVERIFY(!w.scanLoop()->isScanning());
        QCOMPARE(manager.queueSize(), queued);
    }

    void refreshText_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("not known yet") << -1 << QString();
        QTest::newRow("1.4 s") << 1449 << "Refresh 1.4 s";
        QTest::newRow("half up") << 1450 << "Refresh 1.5 s";
        QTest::newRow("under a tenth") << 40 << "Refresh 0.0 s";
        QTest::newRow("fixed rate, forty blocks") << 20012 << "Refresh 20.0 s";
    }
    void refreshText() {
        QFETCH(int, ms);
        QFETCH(QString, text);
        QCOMPARE(RefreshStatus::text(ms), text);
    }

    // While connected the status bar shows the refresh cycle once the scan went round the queue;
    // after Disconnect it is gone.
    void refreshShownWhileConnected() {
        Session s(3, clsApplication::RunOptions{true});
        mdiMain& w = *s.main;
        QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        w.scanLoop()->setAutomaticScanRate(true);
        auto* label = w.findChild<QLabel*>(QStringLiteral("lblRefresh"));
        QVERIFY(label);
        QVERIFY(!label->isVisibleTo(&w));

        QVERIFY(w.ConnectLink());
        QTRY_VERIFY_WITH_TIMEOUT(label->isVisibleTo(&w), 20000);
        static const QRegularExpression kText(QStringLiteral("^Refresh [0-9]+\\.[0-9] s$"));
        QVERIFY2(kText.match(label->text()).hasMatch(), qPrintable(label->text()));

        QVERIFY(w.DisconnectLink());
        QVERIFY(!label->isVisibleTo(&w));
        QVERIFY(label->text().isEmpty());
    }

    // --- other menu commands ---------------------------------------------------------------------------

    void helpTopics() {
        Session s;
        m_ui->queueMessage(ui::Answer::Ok);
        actionOf(*s.main, "mnuHelpTopics")->trigger();
        const auto msg = m_ui->messages().constFirst();
        QCOMPARE(msg.text, QStringLiteral("Online help not implemented."));
        QCOMPARE(msg.title, QStringLiteral("HELP"));
        QCOMPARE(msg.icon, ui::Icon::Exclamation);
    }

    void closeAll_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("windowsLeft");
        QTest::newRow("cancel") << int(ui::Answer::Cancel) << 1;
        QTest::newRow("no") << int(ui::Answer::No) << 0;
    }
    // Window > Close All on a changed screen asks first; afterwards the screen counts as changed
    // (windows were closed, or the unsaved change is still there).
    void closeAll() {
        QFETCH(int, answer);
        QFETCH(int, windowsLeft);
        Session s;
        QVERIFY(s.main->WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        QVERIFY(s.main->ScreenChanged());
        m_ui->queueMessage(ui::Answer(answer), QStringLiteral("Do you want to save the current screen?"));
        openMenus(*s.main);
        actionOf(*s.main, "mnuWindowCloseAll")->trigger();
        QCOMPARE(s.main->WindowMgr()->NumWindowsOpen(), windowsLeft);
        QVERIFY(s.main->ScreenChanged());
    }

    // Window > Setup... runs the setup dialog of the active window; Window > Close unloads the active
    // window (its polls leave the queue) and marks the screen changed.
    void windowMenuCommands() {
        Session s(3, clsApplication::RunOptions{true});
        mdiMain& w = *s.main;
        CMsgManager& manager = *s.app.MsgManager();
        const qint16 idle = manager.queueSize();
        QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        QVERIFY(manager.queueSize() > idle);
        QVERIFY(w.ConnectLink());
        CDisplayWindow* dw = w.WindowMgr()->DisplayWindows().constFirst();
        QTRY_VERIFY_WITH_TIMEOUT(dw->Data().IsFresh(), 10000);
        m_ui->queueDialog(QStringLiteral("SU_M852_SourceInfo"),
                          [](QDialog& d) { return ScriptedUiServices::click(d, "cmdCancel"); });
        openMenus(w);
        QVERIFY(actionOf(w, "mnuWindowSetup")->isEnabled());
        actionOf(w, "mnuWindowSetup")->trigger();
        QCOMPARE(m_ui->callsOf(ScriptedUiServices::Kind::ExecDialog).size(), 1);

        w.setScreenChanged(false);
        actionOf(w, "mnuWindowClose")->trigger();
        QCOMPARE(w.WindowMgr()->NumWindowsOpen(), 0);
        QCOMPARE(manager.queueSize(), idle);
        QVERIFY(w.ScreenChanged());
        QVERIFY(w.DisconnectLink());
    }

    // After Disconnect and Connect (perhaps to another controller) the fields still hold what the
    // previous link read: Setup stays refused, by menu, double-click or any other way, until every
    // block of the group has been read again on the new link.
    void setupWaitsForReadAfterReconnect() {
        Session s(3, clsApplication::RunOptions{true});
        mdiMain& w = *s.main;
        QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        CDisplayWindow* dw = w.WindowMgr()->DisplayWindows().constFirst();
        const auto setupEnabled = [&] {
            openMenus(w);
            return actionOf(w, "mnuWindowSetup")->isEnabled();
        };
        QVERIFY(w.ConnectLink());
        QTRY_VERIFY_WITH_TIMEOUT(dw->CanRunSetup(), 10000);
        QVERIFY(setupEnabled());

        QVERIFY(w.DisconnectLink());
        QVERIFY(!setupEnabled());
        QVERIFY(w.ConnectLink());
        QVERIFY(!dw->CanRunSetup());
        QVERIFY(!setupEnabled());
        QTest::mouseDClick(dw, Qt::LeftButton, {}, QPoint(1, 1));
        dw->RunSetup();
        QCOMPARE(m_ui->callsOf(ScriptedUiServices::Kind::ExecDialog).size(), 0);

        QTRY_VERIFY_WITH_TIMEOUT(dw->CanRunSetup(), 10000);
        QVERIFY(setupEnabled());
        QVERIFY(w.DisconnectLink());
    }

    // Exit asks about a changed screen; Cancel keeps the program running, No closes it, storing the
    // settings and taking the icon out of the notification area.
    void exitAsksAboutChangedScreen() {
        Session s;
        mdiMain& w = *s.main;
        w.show();
        QVERIFY(w.WindowMgr()->CreateWnd(kSourceInfo, 0, 0, 0));
        m_ui->queueMessage(ui::Answer::Cancel, QStringLiteral("Do you want to save the current screen?"));
        actionOf(w, "mnuFileExit")->trigger();
        QVERIFY(w.isVisible());
        QCOMPARE(w.WindowMgr()->NumWindowsOpen(), 1);

        w.resize(w.width() - 20, w.height() - 10);
        m_ui->queueMessage(ui::Answer::No, QStringLiteral("Do you want to save the current screen?"));
        QVERIFY(w.close());  // the close box
        QVERIFY(!w.isVisible());
        QCOMPARE(w.connectionStatus().tray().State(), clsQTR_TrayIcon::kRemoved);
        QCOMPARE(w.WindowMgr()->NumWindowsOpen(), 0);
        QCOMPARE(
            stored(QStringLiteral("Start"), QStringLiteral("Wnd_Width"), clsQTR_Registry::REG_DWORD).toInt(),
            w.width() * 1440 / w.logicalDpiX());
    }

    // --- options dialog --------------------------------------------------------------------------------

    void optionsTyping_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");  // the box held "1" before
        for (const char* box : {"txtPortNo", "txtReadScanRate", "txtWriteScanRate"}) {
            QTest::addRow("%s letters and signs", box)
                << box << QStringLiteral("a-2.x+ 3,e") << QStringLiteral("123");
            QTest::addRow("%s digits", box) << box << QStringLiteral("0987") << QStringLiteral("10987");
        }
    }
    // Only digits and Backspace can be typed; the dialog keys still work.
    void optionsTyping() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        CScanLoop loop;
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(box);
        edit->setText(QStringLiteral("1"));
        edit->end(false);
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), result);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), result.chopped(1));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);  // no pasting by keyboard either
        QCOMPARE(edit->text(), result.chopped(1));
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void optionsOk_data() {
        QTest::addColumn<QStringList>("texts");      // port, read rate, write rate
        QTest::addColumn<QList<int>>("afterwards");  // port, read rate, write rate
        QTest::addColumn<QString>("refused");        // the box that beeped, or empty
        QTest::newRow("all taken") << QStringList{"12", "250", "800"} << QList<int>{12, 250, 800}
                                   << QString();
        QTest::newRow("port 0") << QStringList{"0", "1", "32767"} << QList<int>{0, 1, 32767} << QString();
        QTest::newRow("empty port") << QStringList{"", "250", "800"} << QList<int>{1, 500, 500}
                                    << "txtPortNo";
        QTest::newRow("port beyond 16 bits")
            << QStringList{"70000", "250", "800"} << QList<int>{1, 500, 500} << "txtPortNo";
        QTest::newRow("port the service refuses")
            << QStringList{"300", "250", "800"} << QList<int>{1, 500, 500} << "txtPortNo";
        QTest::newRow("read rate 0") << QStringList{"12", "0", "800"} << QList<int>{12, 500, 500}
                                     << "txtReadScanRate";
        QTest::newRow("read rate empty")
            << QStringList{"12", "", "800"} << QList<int>{12, 500, 500} << "txtReadScanRate";
        QTest::newRow("write rate 0")
            << QStringList{"12", "250", "0"} << QList<int>{12, 250, 500} << "txtWriteScanRate";
        QTest::newRow("write rate beyond 16 bits")
            << QStringList{"12", "250", "40000"} << QList<int>{12, 250, 500} << "txtWriteScanRate";
    }
    // OK assigns in order and stops at the first refused value: a beep, that box selected, the dialog
    // open; what was assigned before stays.
    void optionsOk() {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, afterwards);
        QFETCH(QString, refused);
        CScanLoop loop;
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.show();
        QCOMPARE(dialog.focusWidget(), dialog.findChild<QLineEdit*>(QStringLiteral("txtPortNo")));
        const char* boxes[] = {"txtPortNo", "txtReadScanRate", "txtWriteScanRate"};
        for (int i = 0; i < 3; ++i)
            dialog.findChild<QLineEdit*>(QString::fromLatin1(boxes[i]))->setText(texts.at(i));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);

        QCOMPARE(int(loop.serial().COM_Number()), afterwards.at(0));
        QCOMPARE(int(loop.ReadScanRate()), afterwards.at(1));
        QCOMPARE(int(loop.WriteScanRate()), afterwards.at(2));
        QCOMPARE(m_ui->beeps(), refused.isEmpty() ? 0 : 1);
        QCOMPARE(dialog.isVisible(), !refused.isEmpty());
        if (!refused.isEmpty()) {
            auto* box = dialog.findChild<QLineEdit*>(refused);
            QCOMPARE(dialog.focusWidget(), box);
            QCOMPARE(box->selectedText(), box->text());
        } else {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
    }

    // The check box shows the loop's mode; OK switches it only once every box was taken, Cancel never.
    void optionsAutomaticScanRate_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("readRate");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("after");
        QTest::newRow("switched on") << false << "250"
                                     << "cmdOK" << true;
        QTest::newRow("switched off") << true << "250"
                                      << "cmdOK" << false;
        QTest::newRow("a box refused") << false << "0"
                                       << "cmdOK" << false;
        QTest::newRow("cancel") << false << "250"
                                << "cmdCancel" << false;
    }
    void optionsAutomaticScanRate() {
        QFETCH(bool, before);
        QFETCH(QString, readRate);
        QFETCH(QString, button);
        QFETCH(bool, after);
        CScanLoop loop;
        loop.setAutomaticScanRate(before);
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.show();
        auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("chkAutoScanRate"));
        QVERIFY(check);
        QCOMPARE(check->text(), QStringLiteral("Automatic (as fast as the controller answers)"));
        QCOMPARE(check->isChecked(), before);
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(check->isChecked(), !before);
        QCOMPARE(loop.AutomaticScanRate(), before);  // nothing changes before OK
        dialog.findChild<QLineEdit*>(QStringLiteral("txtReadScanRate"))->setText(readRate);
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(loop.AutomaticScanRate(), after);
        QCOMPARE(loop.WriteScanRate(), qint16(500));  // the fixed rates are kept
    }

    void optionsCancelChangesNothing() {
        CScanLoop loop;
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("txtPortNo"))->setText(QStringLiteral("9"));
        dialog.findChild<QLineEdit*>(QStringLiteral("txtReadScanRate"))->setText(QStringLiteral("9"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        QCOMPARE(loop.serial().COM_Number(), qint16(1));
        QCOMPARE(loop.ReadScanRate(), qint16(500));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void optionsDeviceLabel_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("device");
        QTest::newRow("simulator") << "0"
                                   << "built-in simulated controller";
        QTest::newRow("first serial port") << "1"
                                           << "/dev/ttyS0";
        QTest::newRow("first USB adapter") << "33"
                                           << "/dev/ttyUSB0";
        QTest::newRow("override") << "200"
                                  << "/dev/pts/9";
        QTest::newRow("no device") << "199"
                                   << "no device has this number";
        QTest::newRow("beyond the range") << "999"
                                          << "not a port number";
    }
    void optionsDeviceLabel() {
        QFETCH(QString, number);
        QFETCH(QString, device);
        CScanLoop loop;
        loop.serial().setPortOverrides({{200, QStringLiteral("/dev/pts/9")}});
        frmOptions dialog(loop, nullptr, [] { return QList<CSerialService::PortInfo>{}; });
        dialog.findChild<QLineEdit*>(QStringLiteral("txtPortNo"))->setText(number);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblPortDevice"))->text(), device);
    }

    void optionsPortList_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("number");        // in the port box afterwards
        QTest::addColumn<QString>("override");  // stored for that number by OK, or empty
        QTest::newRow("simulator") << 0 << 0 << QString();
        QTest::newRow("built-in port") << 1 << 1 << QString();
        QTest::newRow("USB adapter") << 2 << 33
                                     << QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
        QTest::newRow("device no number reaches")
            << 3 << 97 << QStringLiteral("/dev/serial/by-id/usb-Prolific_PL2303-if00");
    }
    // Choosing a detected device sets its number; a USB adapter is then reached by its stable path,
    // and a device no number reaches gets a free number mapped to it.
    void optionsPortList() {
        QFETCH(int, row);
        QFETCH(int, number);
        QFETCH(QString, override);
        CScanLoop loop;
        const QList<CSerialService::PortInfo> ports{
            {0, QString(), QStringLiteral("Built-in simulated controller"), QString(), QString()},
            {1, QStringLiteral("/dev/ttyS0"), QString(), QString(), QString()},
            {33, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
             QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0")},
            {-1, QStringLiteral("/dev/ttyUSB40"), QStringLiteral("USB-Serial Controller"),
             QStringLiteral("Prolific"), QStringLiteral("/dev/serial/by-id/usb-Prolific_PL2303-if00")}};
        frmOptions dialog(loop, nullptr, [&] { return ports; });
        dialog.show();
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("lstPorts"));
        QCOMPARE(list->topLevelItemCount(), ports.size());
        QVERIFY(list->topLevelItem(2)->text(2).contains(QStringLiteral("FT232R USB UART")));
        QTreeWidgetItem* item = list->topLevelItem(row);
        list->setCurrentItem(item);
        emit list->itemActivated(item, 0);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("txtPortNo"))->text(), QString::number(number));
        QCOMPARE(loop.serial().portOverrides(), (QMap<int, QString>{}));  // nothing before OK

        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QCOMPARE(int(loop.serial().COM_Number()), number);
        QCOMPARE(loop.serial().portOverrides().value(number), override);
        if (!override.isEmpty()) QCOMPARE(loop.serial().deviceForPort(number), override);
    }

    // --- About window ----------------------------------------------------------------------------------

    // The About window's texts; System Info starts the first tool found, or says it could not.
    void aboutWindow() {
        QTemporaryDir tools;
        const QByteArray oldPath = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", oldPath); });
        qputenv("PATH", tools.path().toLocal8Bit());
        Session s;
        QString title, version, built;
        m_ui->queueMessage(ui::Answer::Ok, QStringLiteral("MSINFO32 failed to start."));
        m_ui->queueDialog(QStringLiteral("frmAbout"), [&](QDialog& d) {
            title = d.windowTitle();
            version = d.findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
            built = d.findChild<QLabel*>(QStringLiteral("lblBuildDate"))->text();
            ScriptedUiServices::click(d, "cmdSysInfo");  // no tool on the PATH: the message
            // Now one is there.
            const QString tool = tools.filePath(QStringLiteral("gnome-system-monitor"));
            QFile f(tool);
            if (f.open(QIODevice::WriteOnly))
                f.write(
                    "#!/bin/sh\n: > \"${0%/*}/started\"\n");  // shell built-ins only: PATH has nothing else
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            ScriptedUiServices::click(d, "cmdSysInfo");
            return ScriptedUiServices::click(d, "cmdOK");
        });
        actionOf(*s.main, "mnuHelpAbout")->trigger();
        QCOMPARE(title, QStringLiteral("Corvanta Field Console"));
        QCOMPARE(version, QStringLiteral("Version 1.6.1"));
        QVERIFY2(built.startsWith(QStringLiteral("Build Date: ")) && built.size() > 16, qPrintable(built));
        const auto msg = m_ui->messages().constFirst();
        QCOMPARE(msg.title, QStringLiteral("Field Console"));
        QCOMPARE(msg.icon, ui::Icon::None);
        QCOMPARE(m_ui->messages().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(tools.filePath(QStringLiteral("started"))), 10000);
    }

    // --- icons ------------------------------------------------------------------------------------------

    void iconsFallBack_data() {
        QTest::addColumn<QByteArray>("file");  // contents of Resources/Connect.ico; empty = no file
        QTest::addColumn<bool>("fromFile");
        QFile real(QStringLiteral(FC_SOURCE_DIR "/resources/icons/Connect.ico"));
        QVERIFY(real.open(QIODevice::ReadOnly));
        QTest::newRow("installed file") << real.readAll() << true;
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("damaged file") << QByteArray("not an icon at all") << false;
    }
    void iconsFallBack() {
        QFETCH(QByteArray, file);
        QFETCH(bool, fromFile);
        if (!file.isEmpty()) {
            QVERIFY(QDir(m_home->path()).mkpath(QStringLiteral("Resources")));
            QFile f(m_home->filePath(QStringLiteral("Resources/Connect.ico")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        QCOMPARE(AppIcons::fileAvailable(AppIcons::Kind::Connected), fromFile);
        QVERIFY(!AppIcons::load(AppIcons::Kind::Connected).pixmap(32, 32).isNull());
    }

    // The notification area shows at most 63 characters of a tooltip; the class keeps the whole text.
    void trayTooltip() {
        clsQTR_TrayIcon tray;
        tray.setTooltip(QStringLiteral("Disconnected"));
        QCOMPARE(tray.Tooltip(), QStringLiteral("Disconnected"));
        const QString longText(80, u'x');
        tray.setTooltip(longText);
        QCOMPARE(tray.Tooltip(), longText);
        QCOMPARE(tray.shownTooltip().size(), 63);
        QCOMPARE(tray.State(), clsQTR_TrayIcon::kRemoved);
        tray.Add();
        QCOMPARE(tray.State(), clsQTR_TrayIcon::kAdded);
        tray.Remove();
        tray.Modify();  // modifying a removed icon does not bring it back
        QCOMPARE(tray.State(), clsQTR_TrayIcon::kModified);
        QVERIFY(!tray.inNotificationArea());
    }
};

QTEST_MAIN(TestAppUi)
#include "tst_app_ui.moc"
