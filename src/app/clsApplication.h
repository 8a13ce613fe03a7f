#pragma once

#include <QString>
#include <functional>
#include <memory>

class CMsgManager;
class LinkWatch;
class QObject;
class clsQTR_Registry;
class clsUser;

// The one application object: holds the program-wide services for the whole run and is reachable
// from everywhere through instance(). MsgManager() and CurrentUser() exist only after a login.
//
// The class lives in fc_core. StartApp, which runs the login dialog and shows the main window, needs
// widgets and is therefore defined in StartApp.cpp, part of fc_ui.
class clsApplication {
public:
    // Options of this run, from the command line.
    struct RunOptions {
        // Use port 0 (the built-in simulated controller) for this run, without storing it.
        bool demo = false;
    };

    // Creates the settings store (root HKEY_LOCAL_MACHINE, AutoCreate on) at Locations::settingsFile().
    clsApplication();
    explicit clsApplication(RunOptions options);
    ~clsApplication();
    clsApplication(const clsApplication&) = delete;
    clsApplication& operator=(const clsApplication&) = delete;

    // The application object, or nullptr before it was created / after it was destroyed.
    [[nodiscard]] static clsApplication* instance();

    [[nodiscard]] CMsgManager* MsgManager() const { return m_MsgManager.get(); }
    // The watch on the manager's exchanges (link quality, stale windows); exists with the manager.
    [[nodiscard]] LinkWatch* Link() const { return m_Link.get(); }
    [[nodiscard]] clsUser* CurrentUser() const { return m_CurrentUser.get(); }
    [[nodiscard]] clsQTR_Registry& Registry() const { return *m_Registry; }

    // The account file "UserAcc.dat": beside the executable when it is there or can be created
    // there, else in the machine-wide data folder shared by all users (Locations::accountFile()).
    [[nodiscard]] static QString UserInfoFullFileName();
    // "Software\Corvanta\Field Console\1.6.1\": company, product name and version of this build, so
    // a new version starts with fresh settings.
    [[nodiscard]] static QString BaseRegistrySubkey();

    [[nodiscard]] const RunOptions& Options() const { return m_Options; }

    // Runs the login; after a successful one creates the current user and the message manager, shows
    // the main window and stores the user's name as "LastUser". A cancelled login shows nothing.
    // Account-file failures are the login's own (its message with Retry and Cancel; Cancel ends the
    // program like a cancelled login). Other errors end it with the "Unhandled Error" box, except a
    // failed read of a settings value, which is skipped. Defined in StartApp.cpp (fc_ui).
    void StartApp();

    // Creates the current user and the message manager, as a successful login does.
    void LoginAs(const QString& name, qint32 role);

    // The main window once StartApp has shown it (owned here, so it goes before the manager it uses).
    [[nodiscard]] QObject* MainWindow() const { return m_MainWindow.get(); }
    void setMainWindow(std::unique_ptr<QObject> window);

    // Stores name as "LastUser" under the "Users" key (the login presets it at the next start).
    void StoreLastUser(const QString& name);
    // The "LastUser" value, or the empty text when the key did not exist yet. A value that cannot be
    // read raises +1003 (the caller decides).
    [[nodiscard]] QString ReadLastUser();

private:
    RunOptions m_Options;
    std::unique_ptr<clsQTR_Registry> m_Registry;
    std::unique_ptr<CMsgManager> m_MsgManager;
    std::unique_ptr<LinkWatch> m_Link;  // after the manager: detaches before the manager goes
    std::unique_ptr<clsUser> m_CurrentUser;
    // Declared last: destroyed first, while the manager and the user its windows use still exist.
    std::unique_ptr<QObject> m_MainWindow;
};
