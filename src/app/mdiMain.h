#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

#include "monitor/frmLinkMonitor.h"

class CDisplayWindow;
class C_M852_SetupSave;
class CScanLoop;
class ConnectionStatus;
class RefreshStatus;
class QAction;
class QMdiArea;
class QMenu;
class QProgressBar;
class clsQTR_Window;
class clsScreenFiles;
class clsWndManager;

// The program's main window: a multiple-document frame for the display windows, the menus, and the
// owner of the scan loop (serial port and scan timer), the window manager, the screen procedures and
// the tray icon. It only dispatches: every menu command is carried out by the class that owns it.
//
// Constructing it is the window's load: it needs the application object with a logged-in user (the
// message manager it drives); it restores the stored settings and writes them back at once.
class mdiMain : public QMainWindow {
    Q_OBJECT

public:
    explicit mdiMain(QWidget* parent = nullptr);
    ~mdiMain() override;

    // The main window, or nullptr when there is none.
    [[nodiscard]] static mdiMain* instance();

    [[nodiscard]] QMdiArea* mdiArea() const { return m_mdiArea; }
    [[nodiscard]] clsWndManager* WindowMgr() const { return m_WindowMgr.get(); }
    [[nodiscard]] clsScreenFiles* ScreenFiles() const { return m_ScreenFiles.get(); }
    [[nodiscard]] CScanLoop* scanLoop() const { return m_scanLoop.get(); }
    [[nodiscard]] ConnectionStatus& connectionStatus() const { return *m_connection; }
    // Tools > Link Monitor... while it is open, else nullptr.
    [[nodiscard]] frmLinkMonitor* linkMonitor() const { return m_linkMonitor; }
    // The setup-save object (File > Save Setup... / Restore Setup...); null without a message manager.
    [[nodiscard]] C_M852_SetupSave* SetupSave() const { return m_SetupSave.get(); }
    // The status bar's "blocks received" bar of a running setup save (hidden otherwise).
    [[nodiscard]] QProgressBar* setupProgress() const { return m_setupProgress; }
    // The display window that is current in the window area, if any.
    [[nodiscard]] CDisplayWindow* activeDisplayWindow() const;

    // --- Screen state ------------------------------------------------------------------------------
    // Display windows call SetScreenChanged when they load and when they unload.
    void SetScreenChanged() { m_ScreenChanged = true; }
    [[nodiscard]] bool ScreenChanged() const { return m_ScreenChanged; }
    void setScreenChanged(bool changed) { m_ScreenChanged = changed; }
    [[nodiscard]] const QString& ScreenFileName() const { return m_ScreenFileName; }
    void setScreenFileName(const QString& name) { m_ScreenFileName = name; }

    // --- Serial port service (the scan loop's) -----------------------------------------------------
    void COM_Initialize();
    [[nodiscard]] qint16 COM_Number() const;
    void setCOM_Number(qint16 number);
    [[nodiscard]] bool COM_IsOpen();
    [[nodiscard]] bool COM_ReceiveBufferIsEmpty();
    bool COM_OpenPort();
    bool COM_ClosePort();
    void COM_EmptyReceiveBuffer();
    void COM_Send(const QByteArray& frame);
    [[nodiscard]] quint8 COM_Receive();

    // --- Scan timer --------------------------------------------------------------------------------
    void StartScan();
    void StopScan();
    // Interval of the scan timer: the read scan rate when isRead, else the write scan rate.
    void SetScanInterval(bool isRead);
    // Milliseconds, at least 1 (below 1 raises 0x80040000).
    [[nodiscard]] qint16 ReadScanRate() const;
    void setReadScanRate(qint16 ms);
    [[nodiscard]] qint16 WriteScanRate() const;
    void setWriteScanRate(qint16 ms);

    // --- Settings ------------------------------------------------------------------------------------
    void LoadSettings();
    void SaveSettings();

    // --- Menu commands -----------------------------------------------------------------------------
    // Connection > Connect: true when the port opened and scanning started. A failure changes nothing
    // and shows no message box; the status bar says why.
    bool ConnectLink();
    // Connection > Disconnect.
    bool DisconnectLink();
    // Evaluates the opening rules of every menu (normally done as each menu opens).
    void updateMenus();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's load: creates its parts and restores the stored settings.
    void Load();
    QAction* addItem(QMenu* menu, const char* name, int captionId, void (mdiMain::*command)());
    void buildMenus();
    // Runs a menu command; an error it raises is reported instead of ending the program.
    void run(void (mdiMain::*command)());

    void updateFileMenu();
    void updateConnectionMenu();
    void updateWindowMenu();
    void fillWindowList();

    // The setup file dialog: the chosen path, or the empty text when the user cancelled.
    [[nodiscard]] QString SetupFileName(bool open);
    void m_SetupSave_DataSaved();
    void m_SetupSave_SaveFailed(const QString& reason);
    void m_SetupSave_SaveProgress(int received, int total);

    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileRestoreSetup_Click();
    void mnuFileSaveSetup_Click();
    void mnuFileExit_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuConnConnect_Click();
    void mnuConnDisconnect_Click();
    void mnuToolsChangePW_Click();
    void mnuToolsUser_Click();
    void mnuToolsOptions_Click();
    void mnuToolsLinkMonitor_Click();
    void mnuWindowNew_Click();
    void mnuWindowClose_Click();
    void mnuWindowCloseAll_Click();
    void mnuWindowSetup_Click();
    void mnuWindowArrange_Click();
    void mnuWindowCascade_Click();
    void mnuHelpTopics_Click();
    void mnuHelpAbout_Click();

    [[nodiscard]] QAction* action(const char* name) const;

    bool m_ScreenChanged = false;
    QString m_ScreenFileName;
    QMdiArea* m_mdiArea;
    std::unique_ptr<CScanLoop> m_scanLoop;
    std::unique_ptr<C_M852_SetupSave> m_SetupSave;
    QProgressBar* m_setupProgress = nullptr;  // in the status bar
    std::unique_ptr<clsQTR_Window> m_windowTools;
    std::unique_ptr<clsWndManager> m_WindowMgr;
    std::unique_ptr<clsScreenFiles> m_ScreenFiles;
    ConnectionStatus* m_connection = nullptr;  // child of this window
    QPointer<frmLinkMonitor> m_linkMonitor;    // a tool window of this one, deleted on close
    RefreshStatus* m_refresh = nullptr;        // child of this window
    QMenu* m_windowList = nullptr;
    // The port number the store held at start: what a demo run (port 0) writes back.
    qint16 m_storedPortNumber = 1;
    bool m_demo = false;
    bool m_unloaded = false;
};
