#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_History;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The Event History window: the controller's event list (txtEvents, rebuilt from all 100 records on
// every refresh and assigned only when it changed, so an unchanged list keeps its scroll position),
// the last loss of the preferred source, Clear History and Save History. No setup dialog.
//
// Clear History asks first ("WARNING", Yes/No, No the default): the controller keeps no other record
// of its past events. Users of role 1 and 4 cannot clear. Save History writes the list as shown, plus
// one CR LF, through a temporary file that replaces the target only once it is complete.
class DW_M852_History : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_History(QWidget* parent = nullptr);
    // For tests and tools that bring their own data object.
    DW_M852_History(std::unique_ptr<C_M852_History> data, QWidget* parent = nullptr);

    // The list as last assigned to txtEvents, lines ended by CR LF.
    [[nodiscard]] const QString& EventListText() const { return m_listText; }
    // Writes the list to `fileName` (see EventList::WriteLogFile); throws ComponentError.
    void WriteLogFile(const QString& fileName) const;

protected:
    void UpdateDisplay() override;

private:
    void buildUi();
    void UpdateEventList();
    void UpdateLostSource();
    void cmdClearHistory_Click();
    void cmdSaveHistory_Click();
    [[nodiscard]] bool confirmClear();

    C_M852_History* m_History = nullptr;
    QString m_listText;
    QPlainTextEdit* m_txtEvents = nullptr;
    QLabel* m_lblTime = nullptr;
    QLabel* m_lblDate = nullptr;
    QLabel* m_lblDuration = nullptr;
    QPushButton* m_cmdClearHistory = nullptr;
    QPushButton* m_cmdSaveHistory = nullptr;
};
