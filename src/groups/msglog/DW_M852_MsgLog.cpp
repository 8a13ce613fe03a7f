#include "groups/msglog/DW_M852_MsgLog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

#include "groups/msglog/C_M852_MsgLog.h"

namespace {

QPlainTextEdit* makeBox(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics fm(box->font());
    // Twenty lines of "-32767" without a scroll bar.
    box->setMinimumSize(fm.horizontalAdvance(QStringLiteral("-000000")) + 24, fm.lineSpacing() * 21 + 12);
    return box;
}

template <typename Entry>
QString stackText(Entry entry) {
    QString text;
    for (int i = 0; i < C_M852_MsgLog::kEntries; ++i)
        text += QString::number(entry(i)) + QStringLiteral("\r\n");
    return text;
}

}  // namespace

DW_M852_MsgLog::DW_M852_MsgLog(QWidget* parent) : DW_M852_MsgLog(std::make_unique<C_M852_MsgLog>(), parent) {}

DW_M852_MsgLog::DW_M852_MsgLog(std::unique_ptr<C_M852_MsgLog> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Log = static_cast<C_M852_MsgLog*>(&Data());
    setObjectName(QStringLiteral("DW_M852_MsgLog"));
    setWindowTitle(QStringLiteral("Message Logs"));

    auto* grid = new QGridLayout(this);
    auto* lblCurrentTitle = new QLabel(QStringLiteral("Current "), this);
    lblCurrentTitle->setObjectName(QStringLiteral("lblCurrentTitle"));
    auto* lblPrevTitle = new QLabel(QStringLiteral("Previous"), this);
    lblPrevTitle->setObjectName(QStringLiteral("lblPrevTitle"));
    m_txtCurrentMsgs = makeBox(this, "txtCurrentMsgs");
    m_txtPreviousMsgs = makeBox(this, "txtPreviousMsgs");
    grid->addWidget(lblCurrentTitle, 0, 0);
    grid->addWidget(lblPrevTitle, 0, 1);
    grid->addWidget(m_txtCurrentMsgs, 1, 0);
    grid->addWidget(m_txtPreviousMsgs, 1, 1);
    resize(sizeHint());
}

void DW_M852_MsgLog::UpdateDisplay() {
    const C_M852_MsgLog& d = *m_Log;
    QString current = stackText([&d](int i) { return d.CurrentMsg(i); });
    QString previous = stackText([&d](int i) { return d.PreviousMsg(i); });
    if (current != m_currentText) {
        m_currentText = std::move(current);
        m_txtCurrentMsgs->setPlainText(m_currentText);
    }
    if (previous != m_previousText) {
        m_previousText = std::move(previous);
        m_txtPreviousMsgs->setPlainText(m_previousText);
    }
}
