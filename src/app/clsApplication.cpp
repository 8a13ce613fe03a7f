#include "app/clsApplication.h"

#include "comm/CMsgManager.h"
#include "users/clsUser.h"

namespace {
clsApplication* g_instance = nullptr;
}

clsApplication::clsApplication() { g_instance = this; }

clsApplication::~clsApplication() {
    if (g_instance == this) g_instance = nullptr;
}

clsApplication* clsApplication::instance() { return g_instance; }

void clsApplication::LoginAs(const QString& name, qint32 role) {
    m_CurrentUser = std::make_unique<clsUser>();
    m_MsgManager = std::make_unique<CMsgManager>();
    m_CurrentUser->setName(name);
    m_CurrentUser->setRole(role);
}
