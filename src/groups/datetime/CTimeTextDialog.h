#pragma once

#include <QList>

#include "groups/CSetupDialog.h"

class QLineEdit;

// Run-time text boxes ("h:mm", hours not limited) of the exerciser and calendar dialogs.
namespace TimeText {

// True when `text` is whole minutes or hours ":" minutes (one ":" at most, digits on both sides) and
// its value in minutes, as ParseTimeText(text, 0) reads it, lies in [minMinutes, maxMinutes].
[[nodiscard]] bool IsValid(const QString& text, qint32 minMinutes, qint32 maxMinutes);

// Keystroke filter: digits, Backspace and one ":" pass (a second ":" is refused); keys that type
// nothing (arrows, Tab, Enter) and Ctrl shortcuts (copy, paste, cut) pass; anything else is dropped
// with a beep. Pasted text is checked when the box is left.
void InstallKeyFilter(QLineEdit* box);

}  // namespace TimeText

// A setup dialog with run-time boxes checked like the numeric boxes of CSetupDialog: on leaving, an
// invalid text turns light red and keeps the focus, a valid one turns white; OK first checks every
// such box again and does nothing while one is invalid, so the OK handler never meets a text that
// does not convert. Moving the focus to Cancel checks nothing, so Cancel always closes.
class CTimeTextDialog : public CSetupDialog {
    Q_OBJECT
protected:
    explicit CTimeTextDialog(QWidget* parent = nullptr);

    // `box` must hold a run time of minMinutes..maxMinutes minutes.
    void validateTimeText(QLineEdit* box, qint32 minMinutes, qint32 maxMinutes);
    // Paints every run-time box white again (after filling the dialog).
    void resetTimeTextColours();

    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void checkThenOK();

private:
    struct Rule {
        QLineEdit* box;
        qint32 min;
        qint32 max;
    };
    [[nodiscard]] static bool check(const Rule& r);
    QList<Rule> m_timeRules;
};
