#pragma once

#include "groups/CSetupDialog.h"
#include "groups/progio/C_M852_ProgIO.h"

class CUpDown;
class QComboBox;
class QLabel;

// Programmable Input/Output setup: a drop-down list per input and output of the main board and of
// the module shown (1 to 4, chosen with the up/down control). The dialog works on a copy of all 35
// codes, so edits to each module survive switching between modules; OK writes the whole copy.
//
// A code the lists do not offer (a function this program does not know) shows as an empty list with
// "Code N" greyed in it, and the code is kept: a list with no selection never changes its position
// in the copy, so OK writes back what the controller holds there.
//
// Choosing "Forced Transfer to Off" (116) for any input, on any module, asks for confirmation on OK
// (No is the default); No keeps the dialog open with every edit.
class SU_M852_ProgIO : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_ProgIO(QWidget* parent = nullptr);

    [[nodiscard]] const C_M852_ProgIO::Image& WorkingCopy() const { return m_copy; }
    [[nodiscard]] int ModuleShown() const { return m_module; }

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private slots:
    void cmdOKChecked_Click();
    void updAddr_Change(int module);

private:
    static void fillList(QComboBox* list, int first, int last);
    static void select(QComboBox* list, qint16 code);
    static void store(const QComboBox* list, qint16& code);
    void showModule();
    void storeMainBoard();
    void storeModule();
    [[nodiscard]] bool confirmForcedOff();

    C_M852_ProgIO::Image m_copy{};
    int m_module = 1;
    QComboBox* cboMLBInput[2] = {};
    QComboBox* cboMLBOutput = nullptr;
    QComboBox* cboROBInput[2] = {};
    QComboBox* cboROBOutput[6] = {};
    QLabel* lblAddr = nullptr;
    CUpDown* updAddr = nullptr;
};
