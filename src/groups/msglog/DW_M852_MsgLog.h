#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_MsgLog;
class QPlainTextEdit;

// The Message Stacks window (caption "Message Logs"): the current and previous stacks, one signed
// message number per line, twenty lines each ended by CR LF. A box is assigned only when its text
// changed. No setup dialog, no save command.
class DW_M852_MsgLog : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_MsgLog(QWidget* parent = nullptr);
    DW_M852_MsgLog(std::unique_ptr<C_M852_MsgLog> data, QWidget* parent = nullptr);

    // The texts last assigned to the boxes.
    [[nodiscard]] const QString& CurrentText() const { return m_currentText; }
    [[nodiscard]] const QString& PreviousText() const { return m_previousText; }

protected:
    void UpdateDisplay() override;

private:
    C_M852_MsgLog* m_Log = nullptr;
    QPlainTextEdit* m_txtCurrentMsgs = nullptr;
    QPlainTextEdit* m_txtPreviousMsgs = nullptr;
    QString m_currentText;
    QString m_previousText;
};
