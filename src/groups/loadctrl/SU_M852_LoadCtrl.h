#pragma once

#include "groups/CSetupDialog.h"

class QLineEdit;

// Load Control Setup: 36 "m:ss" boxes laid out like the window. A box accepts digits, one ":" and
// the clipboard keys; when it is left its text must be digits with at most one ":" and lie in
// 0:00..60:00, or it turns light red and keeps the focus. OK writes registers 750-785.
class SU_M852_LoadCtrl : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_LoadCtrl(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    QLineEdit* txtTimeDelay[36] = {};
};
