#include "app/mdiMain.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>

#include "app/AppIcons.h"
#include "app/ConnectionStatus.h"
#include "app/MainWindowSettings.h"
#include "app/ProductInfo.h"
#include "app/RefreshStatus.h"
#include "app/WindowPlacement.h"
#include "app/clsApplication.h"
#include "app/clsQTR_Registry.h"
#include "app/frmAbout.h"
#include "app/frmOptions.h"
#include "base/StringTable.h"
#include "base/UiServices.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "comm/LinkWatch.h"
#include "files/C_M852_SetupSave.h"
#include "files/clsQTR_Window.h"
#include "files/clsScreenFiles.h"
#include "files/clsWndManager.h"
#include "files/frmAddWindow.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "monitor/frmLinkMonitor.h"
#include "sim/BuiltInController.h"
#include "users/clsUser.h"
#include "users/frmChangePass.h"
#include "users/frmChangeUser.h"

namespace {

mdiMain* g_instance = nullptr;

// The window's size before any stored placement: large enough for a few display windows side by side,
// never larger than the screen.
constexpr QSize kDesignSize(1024, 720);

CMsgManager* manager() {
    const clsApplication* app = clsApplication::instance();
    return app ? app->MsgManager() : nullptr;
}

LinkWatch* linkWatch() {
    const clsApplication* app = clsApplication::instance();
    return app ? app->Link() : nullptr;
}

clsUser* currentUser() {
    const clsApplication* app = clsApplication::instance();
    return app ? app->CurrentUser() : nullptr;
}

bool isConnected() {
    CMsgManager* m = manager();
    return m && m->IsConnected();
}

}  // namespace

// --- Load -------------------------------------------------------------------------------------------

mdiMain::mdiMain(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this)) {
    setObjectName(QStringLiteral("mdiMain"));
    try {
        Load();
    } catch (...) {
        // A load that fails (the settings store cannot be written) leaves nothing pointing here.
        if (CMsgManager* m = manager()) m->setScanHost(nullptr);
        if (g_instance == this) g_instance = nullptr;
        throw;
    }
}

void mdiMain::Load() {
    g_instance = this;
    const clsApplication* app = clsApplication::instance();
    m_demo = app && app->Options().demo;

    // The setup-save object. Its outcome is shown from the event loop (queued), not from inside the
    // scan tick that delivered the last block: a modal message box there would run further ticks
    // inside the one still delivering its reply.
    if (CMsgManager* m = manager()) {
        m_SetupSave = std::make_unique<C_M852_SetupSave>(m);
        connect(m_SetupSave.get(), &C_M852_SetupSave::DataSaved, this, &mdiMain::m_SetupSave_DataSaved,
                Qt::QueuedConnection);
        connect(m_SetupSave.get(), &C_M852_SetupSave::SaveFailed, this, &mdiMain::m_SetupSave_SaveFailed,
                Qt::QueuedConnection);
        connect(m_SetupSave.get(), &C_M852_SetupSave::SaveProgress, this, &mdiMain::m_SetupSave_SaveProgress);
    }

    // The serial component and the scan timer, driving the message manager.
    m_scanLoop = std::make_unique<CScanLoop>();
    if (m_SetupSave)
        connect(m_scanLoop.get(), &CScanLoop::ticked, m_SetupSave.get(), &C_M852_SetupSave::OnScanTick);
    // Port 0 is the simulated controller; its register image lives as long as this window.
    m_scanLoop->serial().setBuiltInPortFactory(sim::BuiltInController().portFactory());
    if (CMsgManager* m = manager()) {
        m->setScanHost(m_scanLoop.get());
        m_scanLoop->setManager(m);
    }
    connect(&m_scanLoop->serial(), &CSerialService::portLost, this, [this](const QString& reason) {
        if (LinkWatch* watch = linkWatch()) watch->setLinkUp(false);
        m_connection->showLinkLost(reason);
        m_refresh->update();
        // No more ticks come: a running save would wait for ever.
        if (m_SetupSave) m_SetupSave->StopSave(QStringLiteral("The connection was lost: ") + reason);
    });

    m_windowTools = std::make_unique<clsQTR_Window>();

    setWindowTitle(StringTable::text(20) + u' ' + QLatin1String(ProductInfo::kProductName));
    setWindowIcon(AppIcons::load(AppIcons::Kind::Application));
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_setupProgress = new QProgressBar(this);
    m_setupProgress->setObjectName(QStringLiteral("prgSetupSave"));
    m_setupProgress->setTextVisible(true);
    m_setupProgress->setMinimumWidth(m_setupProgress->fontMetrics().horizontalAdvance(
                                         StringTable::lookup(63).value_or(QString()).arg(12).arg(12)) +
                                     40);
    m_setupProgress->hide();
    statusBar()->addPermanentWidget(m_setupProgress);
    m_connection = new ConnectionStatus(*this);
    // No link yet: a window opened now has no data until the first reply after a Connect.
    if (LinkWatch* watch = linkWatch()) {
        watch->setLinkUp(false);
        m_connection->watchLink(watch);
    }
    m_refresh = new RefreshStatus(*statusBar(), *m_scanLoop, this);

    buildMenus();

    m_WindowMgr =
        std::make_unique<clsWndManager>(clsWndManager::Host{m_mdiArea, this, [this] { SetScreenChanged(); }});
    m_ScreenFiles = std::make_unique<clsScreenFiles>(clsScreenFiles::Host{
        this, m_WindowMgr.get(), [this] { return ScreenChanged(); }, [this](bool c) { setScreenChanged(c); },
        [this] { return ScreenFileName(); }, [this](const QString& n) { setScreenFileName(n); }});

    // Design placement: centred on the primary screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(kDesignSize.boundedTo(avail.size() * 0.9));
        move(avail.center() - QPoint(width() / 2, height() / 2));
    } else {
        resize(kDesignSize);
    }

    COM_Initialize();
    setReadScanRate(CScanLoop::kDefaultScanRate);
    setWriteScanRate(CScanLoop::kDefaultScanRate);
    LoadSettings();
    if (m_demo) setCOM_Number(0);  // this run only: SaveSettings keeps the stored number
    SaveSettings();
    SetScanInterval(true);

    m_connection->Add();

    m_ScreenChanged = false;
    m_ScreenFileName.clear();
    updateMenus();
}

mdiMain::~mdiMain() {
    // Display windows take their polls out of the queue as they go, which needs the manager and the
    // window manager; they go first. Then the manager forgets the port and timer it is losing.
    m_scanLoop->StopScan();
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) delete sub;
    if (CMsgManager* m = manager()) m->setScanHost(nullptr);
    if (g_instance == this) g_instance = nullptr;
}

mdiMain* mdiMain::instance() { return g_instance; }

CDisplayWindow* mdiMain::activeDisplayWindow() const {
    // currentSubWindow, not activeSubWindow: the latter is empty while another top-level window
    // (a dialog, another program) has the focus.
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    return sub ? qobject_cast<CDisplayWindow*>(sub->widget()) : nullptr;
}

// --- Menus ------------------------------------------------------------------------------------------

QAction* mdiMain::addItem(QMenu* menu, const char* name, int captionId, void (mdiMain::*command)()) {
    auto* a = new QAction(StringTable::text(captionId), this);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    menu->addAction(a);
    return a;
}

void mdiMain::buildMenus() {
    auto topMenu = [this](const char* name, int captionId) {
        QMenu* m = menuBar()->addMenu(StringTable::text(captionId));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu* file = topMenu("mnuFile", 100);
    addItem(file, "mnuFileOpen", 101, &mdiMain::mnuFileOpen_Click);
    addItem(file, "mnuFileSave", 102, &mdiMain::mnuFileSave_Click);
    addItem(file, "mnuFileSaveAs", 103, &mdiMain::mnuFileSaveAs_Click);
    file->addSeparator();
    addItem(file, "mnuFileRestoreSetup", 104, &mdiMain::mnuFileRestoreSetup_Click);
    addItem(file, "mnuFileSaveSetup", 105, &mdiMain::mnuFileSaveSetup_Click);
    file->addSeparator();
    addItem(file, "mnuFileExit", 106, &mdiMain::mnuFileExit_Click);
    connect(file, &QMenu::aboutToShow, this, &mdiMain::updateFileMenu);

    QMenu* edit = topMenu("mnuEdit", 110);
    addItem(edit, "mnuEditCut", 111, &mdiMain::mnuEditCut_Click);
    addItem(edit, "mnuEditCopy", 112, &mdiMain::mnuEditCopy_Click);
    addItem(edit, "mnuEditPaste", 113, &mdiMain::mnuEditPaste_Click);
    connect(edit, &QMenu::aboutToShow, this, [this] { m_windowTools->EditMenuSetup(*this); });

    QMenu* conn = topMenu("mnuConnect", 120);
    addItem(conn, "mnuConnConnect", 121, &mdiMain::mnuConnConnect_Click);
    addItem(conn, "mnuConnDisconnect", 122, &mdiMain::mnuConnDisconnect_Click);
    connect(conn, &QMenu::aboutToShow, this, &mdiMain::updateConnectionMenu);

    QMenu* tools = topMenu("mnuTools", 130);
    addItem(tools, "mnuToolsChangePW", 131, &mdiMain::mnuToolsChangePW_Click);
    addItem(tools, "mnuToolsUser", 132, &mdiMain::mnuToolsUser_Click);
    tools->addSeparator();
    addItem(tools, "mnuToolsOptions", 133, &mdiMain::mnuToolsOptions_Click);
    tools->addSeparator();
    addItem(tools, "mnuToolsLinkMonitor", 134, &mdiMain::mnuToolsLinkMonitor_Click);

    QMenu* window = topMenu("mnuWindow", 140);
    addItem(window, "mnuWindowNew", 141, &mdiMain::mnuWindowNew_Click);
    addItem(window, "mnuWindowClose", 142, &mdiMain::mnuWindowClose_Click);
    addItem(window, "mnuWindowCloseAll", 143, &mdiMain::mnuWindowCloseAll_Click);
    window->addSeparator();
    addItem(window, "mnuWindowSetup", 144, &mdiMain::mnuWindowSetup_Click);
    window->addSeparator();
    addItem(window, "mnuWindowArrange", 145, &mdiMain::mnuWindowArrange_Click);
    addItem(window, "mnuWindowCascade", 146, &mdiMain::mnuWindowCascade_Click);
    window->addSeparator();
    // The platform's list of open child windows: one entry per display window, the current one checked.
    m_windowList = window->addMenu(StringTable::text(147));
    m_windowList->setObjectName(QStringLiteral("mnuWindowList"));
    connect(window, &QMenu::aboutToShow, this, &mdiMain::updateWindowMenu);
    connect(m_windowList, &QMenu::aboutToShow, this, &mdiMain::fillWindowList);

    QMenu* help = topMenu("mnuHelp", 150);
    addItem(help, "mnuHelpTopics", 151, &mdiMain::mnuHelpTopics_Click);
    help->addSeparator();
    addItem(help, "mnuHelpAbout", 152, &mdiMain::mnuHelpAbout_Click);
}

QAction* mdiMain::action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }

void mdiMain::run(void (mdiMain::*command)()) {
    try {
        (this->*command)();
    } catch (const ComponentError& e) {
        ui::message(this, e.description(), ui::Icon::Critical);
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
    }
}

void mdiMain::updateMenus() {
    updateFileMenu();
    updateConnectionMenu();
    updateWindowMenu();
}

void mdiMain::updateFileMenu() {
    const bool windowsOpen = m_WindowMgr->NumWindowsOpen() > 0;
    const bool connected = isConnected();
    action("mnuFileOpen")->setEnabled(true);
    action("mnuFileSaveAs")->setEnabled(windowsOpen);
    action("mnuFileSave")->setEnabled(windowsOpen && !m_ScreenFileName.isEmpty());
    action("mnuFileRestoreSetup")->setEnabled(connected);
    action("mnuFileSaveSetup")->setEnabled(connected);
}

void mdiMain::updateConnectionMenu() {
    const bool connected = isConnected();
    action("mnuConnConnect")->setEnabled(!connected);
    action("mnuConnDisconnect")->setEnabled(connected);
}

void mdiMain::updateWindowMenu() {
    QAction* setup = action("mnuWindowSetup");
    setup->setEnabled(false);
    const CDisplayWindow* active = activeDisplayWindow();
    action("mnuWindowClose")->setEnabled(active != nullptr);
    // Connected, not a guest, the window has a setup dialog and its group has been read since the
    // window opened or the link was last connected: all decided by the window.
    if (active) setup->setEnabled(active->CanRunSetup());
    action("mnuWindowCloseAll")->setEnabled(m_WindowMgr->NumWindowsOpen() >= 1);
    m_windowList->setEnabled(!m_mdiArea->subWindowList().isEmpty());
}

void mdiMain::fillWindowList() {
    m_windowList->clear();
    QMdiSubWindow* current = m_mdiArea->currentSubWindow();
    int n = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        ++n;
        const QString caption =
            sub->windowTitle().isEmpty() && sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        QAction* a = m_windowList->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(caption) : caption);
        a->setCheckable(true);
        a->setChecked(sub == current);
        connect(a, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(sub)] {
            if (sub) m_mdiArea->setActiveSubWindow(sub);
        });
    }
}

// --- Menu commands -----------------------------------------------------------------------------------

void mdiMain::mnuFileOpen_Click() { m_ScreenFiles->OpenScreenCommand(); }
void mdiMain::mnuFileSave_Click() { (void)m_ScreenFiles->SaveScreen(); }
void mdiMain::mnuFileSaveAs_Click() { (void)m_ScreenFiles->SaveScreenAs(); }

// --- Setup data files --------------------------------------------------------------------------------

QString mdiMain::SetupFileName(bool open) {
    auto text = [](int id, const char* fallback) {
        return StringTable::lookup(id).value_or(QString::fromLatin1(fallback));
    };
    ui::FileDialogRequest r;
    r.open = open;
    r.title = text(60, "Controller Settings");
    r.defaultSuffix = QStringLiteral("sdf");
    r.filters = {text(61, "Setup Data Files (*.sdf)"), text(62, "All Files (*.*)")};
    r.selectedFilter = 0;
    // As with screen files, an existing setup file is replaced without asking.
    r.confirmOverwrite = false;
    return ui::services().fileDialog(this, r).value_or(QString());
}

// A cancelled dialog gives the empty name, with which the setup-save object starts nothing.
void mdiMain::mnuFileRestoreSetup_Click() {
    if (!m_SetupSave) return;
    try {
        // The record is being filled by a save: writing a file now would mix it into that save.
        if (m_SetupSave->IsSaving())
            throw ComponentError(kSetupSaveBusy, QStringLiteral("mdiMain::mnuFileRestoreSetup_Click"),
                                 QStringLiteral("A setup save is still running."));
        m_SetupSave->RetrieveSetup(SetupFileName(true));
    } catch (const ComponentError& e) {
        ui::message(this, QStringLiteral("Unable to restore setup.\n") + e.description(),
                    ui::Icon::Exclamation);
    } catch (const std::exception&) {
        ui::message(this, QStringLiteral("Unable to restore setup."), ui::Icon::Exclamation);
    }
}

void mdiMain::mnuFileSaveSetup_Click() {
    if (!m_SetupSave) return;
    try {
        if (m_SetupSave->IsSaving())
            throw ComponentError(kSetupSaveBusy, QStringLiteral("mdiMain::mnuFileSaveSetup_Click"),
                                 QStringLiteral("A setup save is still running (%1 of %2 blocks received).")
                                     .arg(m_SetupSave->BlocksReceived())
                                     .arg(SetupRecord::kBlockCount));
        m_SetupSave->SaveSetup(SetupFileName(false));
    } catch (const ComponentError& e) {
        ui::message(this, QStringLiteral("Unable to save setup.\n") + e.description(), ui::Icon::Exclamation);
    } catch (const std::exception&) {
        ui::message(this, QStringLiteral("Unable to save setup."), ui::Icon::Exclamation);
    }
}

void mdiMain::m_SetupSave_DataSaved() {
    m_setupProgress->hide();
    ui::message(this, QStringLiteral("Setup information saved successfully."), ui::Icon::Information);
}

void mdiMain::m_SetupSave_SaveFailed(const QString& reason) {
    m_setupProgress->hide();
    ui::message(this, QStringLiteral("Unable to save setup.\n") + reason, ui::Icon::Exclamation);
}

void mdiMain::m_SetupSave_SaveProgress(int received, int total) {
    m_setupProgress->setRange(0, total);
    m_setupProgress->setValue(received);
    m_setupProgress->setFormat(StringTable::lookup(63)
                                   .value_or(QStringLiteral("Saving setup: %1 of %2 blocks"))
                                   .arg(received)
                                   .arg(total));
    // The last block hides it again, with the message that follows.
    m_setupProgress->setVisible(received < total);
}

void mdiMain::mnuFileExit_Click() { close(); }

void mdiMain::mnuEditCut_Click() {
    try {
        m_windowTools->EditCut();
    } catch (...) {
        ui::message(this, QStringLiteral("Unable to cut data."), ui::Icon::Critical);
    }
}
void mdiMain::mnuEditCopy_Click() {
    try {
        m_windowTools->EditCopy();
    } catch (...) {
        ui::message(this, QStringLiteral("Unable to copy data."), ui::Icon::Critical);
    }
}
void mdiMain::mnuEditPaste_Click() {
    try {
        m_windowTools->EditPaste();
    } catch (...) {
        ui::message(this, QStringLiteral("Unable to paste data."), ui::Icon::Critical);
    }
}

void mdiMain::mnuConnConnect_Click() { (void)ConnectLink(); }
void mdiMain::mnuConnDisconnect_Click() { (void)DisconnectLink(); }

void mdiMain::mnuToolsChangePW_Click() {
    const clsUser* user = currentUser();
    frmChangePass dialog(clsApplication::UserInfoFullFileName(), user ? user->Name() : QString(), this);
    ui::services().execDialog(dialog);
}

void mdiMain::mnuToolsUser_Click() {
    clsApplication* app = clsApplication::instance();
    if (!app || !app->CurrentUser()) return;
    frmChangeUser dialog(
        clsApplication::UserInfoFullFileName(), *app->CurrentUser(),
        [app](const QString& name) { app->StoreLastUser(name); }, this);
    ui::services().execDialog(dialog);
}

// Any role may watch the link; the monitor only listens and sends nothing.
void mdiMain::mnuToolsLinkMonitor_Click() {
    if (!m_linkMonitor) m_linkMonitor = new frmLinkMonitor(manager(), this);
    m_linkMonitor->show();
    m_linkMonitor->raise();
    m_linkMonitor->activateWindow();
}

void mdiMain::mnuToolsOptions_Click() {
    frmOptions dialog(*m_scanLoop, this);
    ui::services().execDialog(dialog);
}

void mdiMain::mnuWindowNew_Click() {
    frmAddWindow dialog(m_WindowMgr.get(), this);
    ui::services().execDialog(dialog);
}

void mdiMain::mnuWindowClose_Click() {
    try {
        if (QMdiSubWindow* sub = m_mdiArea->currentSubWindow()) sub->close();
    } catch (...) {
    }
    SetScreenChanged();
}

void mdiMain::mnuWindowCloseAll_Click() { m_ScreenFiles->CloseAllCommand(); }

void mdiMain::mnuWindowSetup_Click() {
    if (CDisplayWindow* window = activeDisplayWindow()) window->RunSetup();
}

void mdiMain::mnuWindowArrange_Click() {
    try {
        clsQTR_Window().ArrangeChildIcons(*this);
    } catch (...) {
    }
}

void mdiMain::mnuWindowCascade_Click() {
    try {
        clsQTR_Window().CascadeChildWindows(*this);
    } catch (...) {
    }
}

void mdiMain::mnuHelpTopics_Click() {
    ui::services().message(this, QStringLiteral("Online help not implemented."), QStringLiteral("HELP"),
                           ui::Icon::Exclamation, ui::Buttons::Ok);
}

void mdiMain::mnuHelpAbout_Click() {
    frmAbout dialog(this);
    ui::services().execDialog(dialog);
}

// --- Connection --------------------------------------------------------------------------------------

bool mdiMain::ConnectLink() {
    CMsgManager* m = manager();
    if (!m) return false;
    // Whatever the open windows hold may come from another controller: no setup dialog until every
    // group has been read again on this connection.
    CDataGroup::MarkAllStale(m);
    if (m->Connect()) {
        if (LinkWatch* watch = linkWatch()) {
            watch->setLinkUp(true);
            watch->resetQuality();
        }
        m_connection->showConnected(COM_Number());
        return true;
    }
    m_connection->showOpenFailure(m_scanLoop->serial().lastOpenFailure());
    return false;
}

bool mdiMain::DisconnectLink() {
    CMsgManager* m = manager();
    if (!m || !m->Disconnect()) return false;
    CDataGroup::MarkAllStale(m);
    // The scan stops, so a running save would never end; its reads are asked again by a new save.
    if (m_SetupSave)
        m_SetupSave->StopSave(QStringLiteral("The connection was closed before every block arrived."));
    m_connection->showDisconnected();
    m_refresh->update();
    return true;
}

// --- Serial port service and scan timer ----------------------------------------------------------

void mdiMain::COM_Initialize() { m_scanLoop->serial().COM_Initialize(); }
qint16 mdiMain::COM_Number() const { return m_scanLoop->serial().COM_Number(); }
void mdiMain::setCOM_Number(qint16 number) { m_scanLoop->serial().setCOM_Number(number); }
bool mdiMain::COM_IsOpen() { return m_scanLoop->COM_IsOpen(); }
bool mdiMain::COM_ReceiveBufferIsEmpty() { return m_scanLoop->COM_ReceiveBufferIsEmpty(); }
bool mdiMain::COM_OpenPort() { return m_scanLoop->COM_OpenPort(); }
bool mdiMain::COM_ClosePort() { return m_scanLoop->COM_ClosePort(); }
void mdiMain::COM_EmptyReceiveBuffer() { m_scanLoop->COM_EmptyReceiveBuffer(); }
void mdiMain::COM_Send(const QByteArray& frame) { m_scanLoop->COM_Send(frame); }
quint8 mdiMain::COM_Receive() { return m_scanLoop->COM_Receive(); }

void mdiMain::StartScan() { m_scanLoop->StartScan(); }
void mdiMain::StopScan() { m_scanLoop->StopScan(); }
void mdiMain::SetScanInterval(bool isRead) { m_scanLoop->SetScanInterval(isRead); }
qint16 mdiMain::ReadScanRate() const { return m_scanLoop->ReadScanRate(); }
void mdiMain::setReadScanRate(qint16 ms) { m_scanLoop->setReadScanRate(ms); }
qint16 mdiMain::WriteScanRate() const { return m_scanLoop->WriteScanRate(); }
void mdiMain::setWriteScanRate(qint16 ms) { m_scanLoop->setWriteScanRate(ms); }

// --- Settings ---------------------------------------------------------------------------------------

void mdiMain::LoadSettings() {
    clsApplication* app = clsApplication::instance();
    if (!app) return;
    const MainWindowSettings s =
        MainWindowSettings::Load(app->Registry(), clsApplication::BaseRegistrySubkey());
    WindowPlacement::apply(*this, s.placement);
    m_scanLoop->serial().setPortOverrides(s.portOverrides);
    try {
        setCOM_Number(s.portNumber);
    } catch (const ComponentError&) {
        // A number the serial service has no use for (edited by hand): keep port 1.
    }
    m_storedPortNumber = COM_Number();
    setReadScanRate(s.readScanRate);
    setWriteScanRate(s.writeScanRate);
    m_scanLoop->setAutomaticScanRate(s.automaticScanRate);
}

void mdiMain::SaveSettings() {
    clsApplication* app = clsApplication::instance();
    if (!app) return;
    MainWindowSettings s;
    s.placement = WindowPlacement::current(*this);
    // A demo run uses port 0 without making it the port of the next start.
    s.portNumber = m_demo && COM_Number() == 0 ? m_storedPortNumber : COM_Number();
    s.readScanRate = ReadScanRate();
    s.writeScanRate = WriteScanRate();
    s.automaticScanRate = m_scanLoop->AutomaticScanRate();
    s.portOverrides = m_scanLoop->serial().portOverrides();
    s.Save(app->Registry(), clsApplication::BaseRegistrySubkey());
}

// --- Closing ----------------------------------------------------------------------------------------

void mdiMain::closeEvent(QCloseEvent* event) {
    if (m_unloaded) {
        event->accept();
        return;
    }
    // The question about a changed screen may keep the program running.
    if (!m_ScreenFiles->QueryClose()) {
        event->ignore();
        return;
    }
    try {
        SaveSettings();
    } catch (const ComponentError& e) {
        ui::message(this, QStringLiteral("Unable to save the settings.\n") + e.description(),
                    ui::Icon::Exclamation);
    }
    m_connection->Remove();
    m_ScreenFiles->CloseAllDisplayWindows();
    // The link goes with the window (no Disconnect: the queue does not matter any more).
    m_scanLoop->StopScan();
    (void)m_scanLoop->COM_ClosePort();
    m_unloaded = true;
    event->accept();
}
