#pragma once

#include <QDialog>
#include <QList>

class CDataGroup;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// Base of every setup dialog (SU_M852_*): filled from its data object, edited, and on OK copied
// back into the data object, which then queues its write.
//
// A group builds its controls into body() and implements Fill() and Commit(). Text boxes registered
// with validateRange() are checked when they are left (light red and the focus stays while the text
// is invalid) and again before OK, so OK never commits an invalid box. Moving the focus to Cancel
// validates nothing, so Cancel always closes the dialog, with the mouse as with the keyboard. The
// dialog is modal; its owner (the display window) unloads it after OK or Cancel.
class CSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Keeps `data` for OK and sets every control from its current fields.
    void FillFromData(CDataGroup& data);

    [[nodiscard]] QPushButton* cmdOK() const { return m_cmdOK; }
    [[nodiscard]] QPushButton* cmdCancel() const { return m_cmdCancel; }

protected:
    explicit CSetupDialog(QWidget* parent = nullptr);

    // Sets the controls from `data` (the group's own class).
    virtual void Fill(CDataGroup& data) = 0;
    // Copies the controls into `data` through its typed properties. What to do with a text that
    // cannot be converted is the group's decision; anything thrown keeps the dialog open with a
    // message.
    virtual void Commit(CDataGroup& data) = 0;

    // Where the group puts its controls (above the OK/Cancel row).
    [[nodiscard]] QWidget* body() const { return m_body; }

    // `box` must hold a number in [min, max]; checked by ValidateRange when the box is left and on OK.
    void validateRange(QLineEdit* box, double min, double max);

    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    struct RangeRule {
        QLineEdit* box;
        double min;
        double max;
    };
    [[nodiscard]] const RangeRule* ruleFor(const QObject* box) const;

    QWidget* m_body = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    CDataGroup* m_Data = nullptr;
    QList<RangeRule> m_rules;
};
