#pragma once

#include "groups/CSetupDialog.h"

class QLineEdit;

// System Info Setup: the seven identification texts. Each box takes what its registers can hold: at
// most twice the register count in characters, Latin-1 characters only (one byte each). A box shows
// its text up to the first 0 character; a box left as filled writes the controller's registers back
// exactly as read (bytes after a 0 included), so a no-edit OK changes nothing. For role 1 the three
// serial-number boxes are disabled (their texts are still written back unchanged).
class SU_M852_SysInfo : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_SysInfo(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    void applyRole();
    QLineEdit* m_box[7] = {};
};
