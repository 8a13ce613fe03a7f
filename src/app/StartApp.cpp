// clsApplication::StartApp: the start-up that runs the login and shows the main window. It lives in
// fc_ui (the rest of clsApplication is in fc_core) because it needs widgets.
#include "base/UiServices.h"
#include "app/clsApplication.h"
#include "app/clsQTR_Registry.h"
#include "app/mdiMain.h"
#include "base/ComponentError.h"
#include "users/clsGateway.h"

void clsApplication::StartApp() {
    try {
        clsGateway gateway;
        gateway.setUserInfoFileName(UserInfoFullFileName());

        // The last user's name presets the login; a value that cannot be read is skipped.
        QString lastUser;
        try {
            lastUser = ReadLastUser();
        } catch (const ComponentError& e) {
            if (e.number() != clsQTR_Registry::kErrValueRead) throw;
        }

        QString userName;
        qint32 role = 0;
        if (!gateway.RunLogin(userName, role, lastUser)) return;

        LoginAs(userName, role);
        auto window = std::make_unique<mdiMain>();
        window->show();
        setMainWindow(std::move(window));

        StoreLastUser(userName);
    } catch (const std::exception&) {
        ui::services().message(nullptr, QStringLiteral("Unhandled Error"), QStringLiteral("DEBUG"),
                               ui::Icon::Critical, ui::Buttons::Ok);
    }
}
