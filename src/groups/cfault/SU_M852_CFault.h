#pragma once

#include "groups/CSetupDialog.h"

class QListWidget;
class QPushButton;

// Common Alarm Setup: the assigned and the available events side by side, with Add / Remove to move
// the selected entries and Select All / Clear All per list. Each entry carries its slot number; OK
// assigns exactly the slots in the assigned list.
//
// The Select All / Clear All buttons always follow their list: after FillFromData as after a move,
// a list with entries has both enabled and an empty list both disabled (so a filled list can be
// selected in one click from the start). Add and Remove follow the selection.
class SU_M852_CFault : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_CFault(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private slots:
    void cmdAdd_Click();
    void cmdRemove_Click();

private:
    static void move(QListWidget* from, QListWidget* to);
    void updateListButtons();
    void updateMoveButtons();

    QListWidget* lstAssignedEvents = nullptr;
    QListWidget* lstAvailEvents = nullptr;
    QPushButton* cmdSelectAssigned = nullptr;
    QPushButton* cmdClearAssigned = nullptr;
    QPushButton* cmdSelectAvailable = nullptr;
    QPushButton* cmdClearAvailable = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
};
