#pragma once

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
// the background or on a label when that is allowed, and does the unloading: the window manager and
// the screen are told, the dialog goes, and the data object goes (taking its polls out of the queue).
class CDisplayWindow : public QWidget {
    Q_OBJECT
public:
    ~CDisplayWindow() override;

    [[nodiscard]] qint32 WinID() const;
    // True for the window types that have a setup dialog.
    [[nodiscard]] virtual bool SetupAvailable() const { return false; }
    // Fills the setup dialog from the data object and shows it modally (owner: the main window).
    // Callers check SetupAvailable() and SetupAllowed() first.
    virtual void RunSetup();

    // A setup dialog may be opened now: the link is connected and the user is not a guest (role 4).
    [[nodiscard]] static bool SetupAllowed();

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

protected:
    CDisplayWindow(std::unique_ptr<CDataGroup> data, QWidget* parent = nullptr);

    // Rewrites every shown value from the data object.
    virtual void UpdateDisplay() = 0;
    // A new setup dialog owned by `owner`; only windows whose SetupAvailable() is true make one.
    [[nodiscard]] virtual CSetupDialog* CreateSetupDialog(QWidget* owner);

    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void m_Data_DataRefreshed(qint32 WinID);

private:
    [[nodiscard]] QWidget* dialogOwner() const;

    std::unique_ptr<CDataGroup> m_Data;
    const qint32 m_WinID;
    QPointer<CSetupDialog> m_Setup;
    QPointer<clsWndManager> m_WndMgr;
    bool m_loaded = false;
    bool m_unloaded = false;
};
