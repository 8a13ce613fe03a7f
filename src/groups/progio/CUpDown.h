#pragma once

#include <QWidget>

class QToolButton;

// A pair of small arrow buttons that step a number between a minimum and a maximum: the up/down
// control beside a label showing the number (the label is the caller's).
class CUpDown : public QWidget {
    Q_OBJECT
public:
    CUpDown(int minimum, int maximum, QWidget* parent = nullptr);

    [[nodiscard]] int value() const { return m_value; }
    // Clamped to the range; emits valueChanged when the value changes.
    void setValue(int value);

signals:
    void valueChanged(int value);

private:
    int m_min;
    int m_max;
    int m_value;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};
