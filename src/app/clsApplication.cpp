#include "app/clsApplication.h"

#include <QObject>

#include "app/ProductInfo.h"
#include "app/clsQTR_Registry.h"
#include "base/Locations.h"
#include "comm/CMsgManager.h"
#include "comm/LinkWatch.h"
#include "users/clsUser.h"

namespace {
clsApplication* g_instance = nullptr;
}

clsApplication::clsApplication() : clsApplication(RunOptions{}) {}

clsApplication::clsApplication(RunOptions options)
    : m_Options(options), m_Registry(std::make_unique<clsQTR_Registry>(Locations::settingsFile())) {
    m_Registry->setRootKey(clsQTR_Registry::HKEY_LOCAL_MACHINE);
    m_Registry->setAutoCreate(true);
    g_instance = this;
}

clsApplication::~clsApplication() {
    // The main window first: its display windows take their packets out of the manager's queue.
    m_MainWindow.reset();
    if (g_instance == this) g_instance = nullptr;
}

clsApplication* clsApplication::instance() { return g_instance; }

QString clsApplication::UserInfoFullFileName() { return Locations::accountFile(); }

QString clsApplication::BaseRegistrySubkey() {
    return QStringLiteral("Software\\%1\\%2\\%3.%4.%5\\")
        .arg(QLatin1String(ProductInfo::kCompany), QLatin1String(ProductInfo::kProductName))
        .arg(ProductInfo::kVersionMajor)
        .arg(ProductInfo::kVersionMinor)
        .arg(ProductInfo::kVersionRevision);
}

void clsApplication::LoginAs(const QString& name, qint32 role) {
    m_CurrentUser = std::make_unique<clsUser>();
    m_Link.reset();
    m_MsgManager = std::make_unique<CMsgManager>();
    m_Link = std::make_unique<LinkWatch>();
    m_Link->attach(m_MsgManager.get());
    m_CurrentUser->setName(name);
    m_CurrentUser->setRole(role);
}

void clsApplication::setMainWindow(std::unique_ptr<QObject> window) { m_MainWindow = std::move(window); }

void clsApplication::StoreLastUser(const QString& name) {
    m_Registry->setSubKey(BaseRegistrySubkey() + QStringLiteral("Users"));
    m_Registry->OpenKey();
    m_Registry->setValue(QStringLiteral("LastUser"), clsQTR_Registry::REG_SZ, name);
    m_Registry->CloseKey();
}

QString clsApplication::ReadLastUser() {
    m_Registry->setSubKey(BaseRegistrySubkey() + QStringLiteral("Users"));
    QString lastUser;
    if (m_Registry->OpenKey() == clsQTR_Registry::kOpenedExistingKey) {
        try {
            lastUser = m_Registry->Value(QStringLiteral("LastUser"), clsQTR_Registry::REG_SZ).toString();
        } catch (...) {
            m_Registry->CloseKey();
            throw;
        }
    }
    m_Registry->CloseKey();
    return lastUser;
}
