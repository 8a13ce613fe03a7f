#pragma once

#include <QString>

#include <functional>
#include <memory>

class CMsgManager;
class clsUser;

// The one application object: holds the program-wide services for the whole run and is reachable
// from everywhere through instance(). MsgManager() and CurrentUser() exist only after a login.
class clsApplication {
public:
    clsApplication();
    ~clsApplication();
    clsApplication(const clsApplication&) = delete;
    clsApplication& operator=(const clsApplication&) = delete;

    // The application object, or nullptr before it was created / after it was destroyed.
    [[nodiscard]] static clsApplication* instance();

    [[nodiscard]] CMsgManager* MsgManager() const { return m_MsgManager.get(); }
    [[nodiscard]] clsUser* CurrentUser() const { return m_CurrentUser.get(); }

    // Creates the current user and the message manager, as a successful login does.
    void LoginAs(const QString& name, qint32 role);

private:
    std::unique_ptr<CMsgManager> m_MsgManager;
    std::unique_ptr<clsUser> m_CurrentUser;
};
