#pragma once

#include <QList>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <memory>

class CDataGroup;
class CSetupDialog;
class clsWndManager;

// Base of every display window (DW_M852_*), an MDI child of the main window.
//
// A group passes its data object to the constructor, builds its labels, and implements
// UpdateDisplay() (and, when it has a setup dialog, SetupAvailable() and CreateSetupDialog()). The
// base redraws on every DataRefreshed of its own WinID, opens the setup dialog on a double-click on
// the background or on one of SetupTargets() when that is allowed, and does the unloading: the window
// manager and the screen are told, the dialog goes, and the data object goes (taking its polls out of
// the queue).
//
// Whether a setup dialog may be opened is decided in one place, CanRunSetup(): the window has one,
// the link is connected, the user is not a guest, and the data object is fresh (every read block
// decoded since the window opened or the link was last connected). The Setup menu item, the
// double-click and RunSetup itself all ask it.
//
// Stale values look stale: when the application's link watch says this WinID has had no valid
// reply for three polling rounds, or the link is down, the base draws every text grey and adds
// " - no data" to the caption; the next valid reply restores both. Every window gets this here.
class CDisplayWindow : public QWidget {
    Q_OBJECT
public:
    ~CDisplayWindow() override;

    [[nodiscard]] qint32 WinID() const;
    // True for the window types that have a setup dialog.
    [[nodiscard]] virtual bool SetupAvailable() const { return false; }
    // Fills the setup dialog from the data object and shows it modally (owner: the main window).
    // Does nothing unless CanRunSetup().
    virtual void RunSetup();

    // The link is connected and the user is not a guest (role 4): what every window's setup needs.
    [[nodiscard]] static bool SetupAllowed();
    // This window's setup dialog may be opened now: SetupAvailable(), SetupAllowed() and the data
    // object IsFresh().
    [[nodiscard]] bool CanRunSetup() const;

    [[nodiscard]] CDataGroup& Data() const { return *m_Data; }
    // The setup dialog, loaded when needed (hidden); nullptr for windows without one.
    [[nodiscard]] CSetupDialog* SetupDialog();

    // Called by the window manager once the window is in place: from now on the window counts as
    // open, so it reports its unloading. Marks the screen changed.
    void Load(clsWndManager* manager);
    // Tells the window manager and the screen, unloads the setup dialog and releases the data object
    // (removing its polls from the queue). Runs once; closing the window runs it.
    void Unload();
    [[nodiscard]] bool IsUnloaded() const { return m_unloaded; }

    // The values shown are not live (see the class comment).
    [[nodiscard]] bool IsStale() const { return m_stale; }
    static inline const QString kNoDataSuffix = QStringLiteral(" - no data");

protected:
    CDisplayWindow(std::unique_ptr<CDataGroup> data, QWidget* parent = nullptr);

    // Rewrites every shown value from the data object.
    virtual void UpdateDisplay() = 0;
    // The children on which a double-click opens the setup dialog (besides the window's own
    // background): by default every label of the window. A window adds frames or other controls by
    // overriding; a child that uses double-clicks itself (a list) is best left out. Asked once, when
    // the window is loaded or first shown; the base installs its filter on each.
    [[nodiscard]] virtual QList<QWidget*> SetupTargets() const;
    // A new setup dialog owned by `owner`; only windows whose SetupAvailable() is true make one.
    [[nodiscard]] virtual CSetupDialog* CreateSetupDialog(QWidget* owner);

    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void m_Data_DataRefreshed(qint32 WinID);

private:
    [[nodiscard]] QWidget* dialogOwner() const;
    void installSetupTargets();
    void setStale(bool stale);

    std::unique_ptr<CDataGroup> m_Data;
    const qint32 m_WinID;
    QPointer<CSetupDialog> m_Setup;
    QPointer<clsWndManager> m_WndMgr;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_targetsInstalled = false;
    QList<QPointer<QWidget>> m_setupTargets;
    bool m_stale = false;
    QString m_liveTitle;  // the caption without the stale suffix, while stale
    QPalette m_livePalette;
};
