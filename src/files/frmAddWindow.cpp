#include "files/frmAddWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "base/UiServices.h"
#include "app/clsApplication.h"
#include "files/WindowCatalogue.h"
#include "files/clsWndManager.h"
#include "users/clsUser.h"

namespace {
QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromLatin1(fallback));
}
}  // namespace

frmAddWindow::frmAddWindow(clsWndManager* manager, QWidget* owner) : QDialog(owner), m_manager(manager) {
    buildUi();
    fillList();
}

void frmAddWindow::buildUi() {
    setObjectName(QStringLiteral("frmAddWindow"));
    setWindowTitle(text(325, "Add Window"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_lblAvailWindows = new QLabel(text(326, "Available Windows"), this);
    m_lblAvailWindows->setObjectName(QStringLiteral("lblAvailWindows"));
    m_lstWindows = new QListWidget(this);
    m_lstWindows->setObjectName(QStringLiteral("lstWindows"));
    m_lstWindows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstWindows->setSortingEnabled(true);
    m_lstWindows->setMinimumSize(
        m_lstWindows->fontMetrics().horizontalAdvance(QStringLiteral("Programmable Input/Output")) + 48,
        m_lstWindows->fontMetrics().height() * 14);
    m_lblAvailWindows->setBuddy(m_lstWindows);
    layout->addWidget(m_lblAvailWindows);
    layout->addWidget(m_lstWindows);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdOK = new QPushButton(text(327, "OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(text(328, "Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAddWindow::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmAddWindow::cmdCancel_Click);
    connect(m_lstWindows, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item) item->setSelected(true);
        cmdOK_Click();
    });
}

void frmAddWindow::fillList() {
    if (!m_manager) return;
    const clsApplication* app = clsApplication::instance();
    const qint32 role = app && app->CurrentUser() ? app->CurrentUser()->Role() : kGuestRole;
    // One copy of each type: types already open are not offered.
    m_manager->setNumWndCopies(1);
    QString name;
    qint32 type = 0;
    while (m_manager->AvailWnds(name, type)) {
        if (!WindowCatalogue::OfferedToRole(type, role)) continue;
        // A type this build has no window for would only end in an error message.
        if (!m_manager->CanCreate(type)) continue;
        auto* item = new QListWidgetItem(name, m_lstWindows);
        item->setData(Qt::UserRole, type);
    }
    if (m_lstWindows->count() > 0) m_lstWindows->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void frmAddWindow::cmdOK_Click() {
    hide();
    int failures = 0;
    if (m_manager) {
        for (int row = 0; row < m_lstWindows->count(); ++row) {
            QListWidgetItem* item = m_lstWindows->item(row);
            if (!item->isSelected()) continue;
            if (!m_manager->CreateWnd(item->data(Qt::UserRole).toInt(), 0, 0, 0)) ++failures;
        }
    }
    if (failures == 1) {
        ui::services().message(parentWidget(),
                               QStringLiteral("An error occured while attempting to create a new window."),
                               QStringLiteral("ERROR"), ui::Icon::Critical, ui::Buttons::Ok);
    } else if (failures > 1) {
        ui::services().message(
            parentWidget(),
            QStringLiteral("At least %1 errors occured while attempting to create new windows.")
                .arg(failures),
            QStringLiteral("ERROR"), ui::Icon::Critical, ui::Buttons::Ok);
    }
    accept();
}

void frmAddWindow::cmdCancel_Click() { reject(); }
