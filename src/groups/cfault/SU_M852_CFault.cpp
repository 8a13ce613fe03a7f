#include "groups/cfault/SU_M852_CFault.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "groups/cfault/C_M852_CFault.h"

namespace {

QPushButton* makeButton(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setEnabled(false);
    return b;
}

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setSelectionMode(QAbstractItemView::MultiSelection);
    l->setMinimumSize(l->fontMetrics().horizontalAdvance(QStringLiteral("In Phase Monitor Waiting for Synch  ")),
                      l->fontMetrics().lineSpacing() * 16);
    return l;
}

}  // namespace

SU_M852_CFault::SU_M852_CFault(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_CFault"));
    setWindowTitle(StringTable::lookup(1051).value_or(QStringLiteral("Common Alarm Setup")));

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    lstAssignedEvents = makeList(body(), "lstAssignedEvents");
    lstAvailEvents = makeList(body(), "lstAvailEvents");
    cmdSelectAssigned = makeButton(body(), QStringLiteral("S&elect All"), "cmdSelectAssigned");
    cmdClearAssigned = makeButton(body(), QStringLiteral("C&lear All"), "cmdClearAssigned");
    cmdSelectAvailable = makeButton(body(), QStringLiteral("&Select All"), "cmdSelectAvailable");
    cmdClearAvailable = makeButton(body(), QStringLiteral("&Clear All"), "cmdClearAvailable");
    cmdAdd = makeButton(body(), QStringLiteral("&Add"), "cmdAdd");
    cmdRemove = makeButton(body(), QStringLiteral(" &Remove"), "cmdRemove");

    grid->addWidget(new QLabel(QStringLiteral("Assigned Events"), body()), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Available Events"), body()), 0, 2);
    grid->addWidget(lstAssignedEvents, 1, 0);
    grid->addWidget(lstAvailEvents, 1, 2);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(cmdAdd);
    middle->addWidget(cmdRemove);
    middle->addStretch(1);
    grid->addLayout(middle, 1, 1);
    auto pair = [](QPushButton* a, QPushButton* b) {
        auto* row = new QHBoxLayout;
        row->addWidget(a);
        row->addWidget(b);
        return row;
    };
    grid->addLayout(pair(cmdSelectAssigned, cmdClearAssigned), 2, 0);
    grid->addLayout(pair(cmdSelectAvailable, cmdClearAvailable), 2, 2);

    connect(lstAvailEvents, &QListWidget::itemSelectionChanged, this, &SU_M852_CFault::updateMoveButtons);
    connect(lstAssignedEvents, &QListWidget::itemSelectionChanged, this, &SU_M852_CFault::updateMoveButtons);
    connect(cmdAdd, &QPushButton::clicked, this, &SU_M852_CFault::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &SU_M852_CFault::cmdRemove_Click);
    auto selectAll = [](QListWidget* list, QPushButton* select, QPushButton* clear) {
        return [list, select, clear] {
            list->selectAll();
            select->setEnabled(false);
            clear->setEnabled(true);
        };
    };
    auto clearAll = [](QListWidget* list, QPushButton* select, QPushButton* clear) {
        return [list, select, clear] {
            list->clearSelection();
            clear->setEnabled(false);
            select->setEnabled(true);
        };
    };
    connect(cmdSelectAssigned, &QPushButton::clicked, this,
            selectAll(lstAssignedEvents, cmdSelectAssigned, cmdClearAssigned));
    connect(cmdClearAssigned, &QPushButton::clicked, this,
            clearAll(lstAssignedEvents, cmdSelectAssigned, cmdClearAssigned));
    connect(cmdSelectAvailable, &QPushButton::clicked, this,
            selectAll(lstAvailEvents, cmdSelectAvailable, cmdClearAvailable));
    connect(cmdClearAvailable, &QPushButton::clicked, this,
            clearAll(lstAvailEvents, cmdSelectAvailable, cmdClearAvailable));
}

void SU_M852_CFault::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_CFault&>(data);
    lstAssignedEvents->clear();
    lstAvailEvents->clear();
    for (int i = 0; i < C_M852_CFault::kSlots; ++i) {
        auto* item = new QListWidgetItem(C_M852_CFault::EventText(d.AlarmEventCode(i)));
        item->setData(Qt::UserRole, i);
        (d.AlarmAssigned(i) ? lstAssignedEvents : lstAvailEvents)->addItem(item);
    }
    updateListButtons();
    updateMoveButtons();
}

void SU_M852_CFault::move(QListWidget* from, QListWidget* to) {
    // In list order; taking items from the back keeps the remaining rows' numbers valid.
    QList<QListWidgetItem*> moving;
    for (int row = from->count() - 1; row >= 0; --row)
        if (from->item(row)->isSelected()) moving.prepend(from->takeItem(row));
    for (QListWidgetItem* item : moving) {
        item->setSelected(false);
        to->addItem(item);
    }
}

void SU_M852_CFault::cmdAdd_Click() {
    move(lstAvailEvents, lstAssignedEvents);
    updateListButtons();
    updateMoveButtons();
}

void SU_M852_CFault::cmdRemove_Click() {
    move(lstAssignedEvents, lstAvailEvents);
    updateListButtons();
    updateMoveButtons();
}

void SU_M852_CFault::updateListButtons() {
    const bool assigned = lstAssignedEvents->count() > 0;
    cmdSelectAssigned->setEnabled(assigned);
    cmdClearAssigned->setEnabled(assigned);
    const bool available = lstAvailEvents->count() > 0;
    cmdSelectAvailable->setEnabled(available);
    cmdClearAvailable->setEnabled(available);
}

void SU_M852_CFault::updateMoveButtons() {
    cmdAdd->setEnabled(!lstAvailEvents->selectedItems().isEmpty());
    cmdRemove->setEnabled(!lstAssignedEvents->selectedItems().isEmpty());
}

void SU_M852_CFault::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_CFault&>(data);
    for (int i = 0; i < C_M852_CFault::kSlots; ++i) d.setAlarmAssigned(i, false);
    for (int row = 0; row < lstAssignedEvents->count(); ++row)
        d.setAlarmAssigned(lstAssignedEvents->item(row)->data(Qt::UserRole).toInt(), true);
}
