#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_Calibration;
class QLabel;
class QLineEdit;
class QPushButton;

// The Meter Calibration window: the user types what a reference meter shows on each phase of each
// source, and Apply (or OK, which then closes the window) sends all twelve readings to registers
// 1400-1411. The window has no setup dialog: its edit boxes, OK, Apply and Cancel are its own.
//
// Per source column (control index 0 = Source N, 1 = Source E) six rows of title, box and "Volts":
// A - N (txtL1L0), B - N (txtL2L0), C - N (txtL3L0), A - B (txtL1L2), B - C (txtL2L3), C - A
// (txtL3L1). A single-phase source shows only its C - A row, titled "L1 - L2"; hidden rows are
// written too (0 when empty). Row titles are named lblTitle + the box's field (lblTitleL1L0_0),
// units lblUnit + field, the column headings lblSource_0/_1 and the hints lblHint_0/_1.
//
// A box takes digits and one "."; leaving it with text that is not a number, or a number too large
// for its register (above 3276.7 V), turns it light red and keeps the focus; an empty box is valid
// and written as 0. Apply checks every box again first: an invalid one takes the focus and nothing
// is written, so a reading is never replaced by 0 behind the user's back.
//
// Nothing is written while the link is disconnected (the write would wait in the queue for the next
// Connect, whichever controller that reaches) or for a guest, who can open this window from a screen
// file: a guest gets OK and Apply disabled; a press while disconnected beeps and keeps the window.
class DW_M852_Calibration : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_Calibration(QWidget* parent = nullptr);
    // For tests and tools that bring their own message manager.
    DW_M852_Calibration(std::unique_ptr<C_M852_Calibration> data, QWidget* parent = nullptr);

    // Apply: resets the readings, takes every box and queues the write. False (nothing written) when
    // writing is not possible now or a box is invalid.
    bool Apply();

protected:
    void UpdateDisplay() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum RowId { kL1L0, kL2L0, kL3L0, kL1L2, kL2L3, kL3L1, kRowCount };
    struct Cell {
        QLabel* title = nullptr;
        QLineEdit* box = nullptr;
        QLabel* unit = nullptr;
    };

    // Colours `box` by its text and answers whether the text is valid.
    bool validate(QLineEdit* box) const;
    void closeWindow();

    C_M852_Calibration* m_Cal = nullptr;
    Cell m_cells[kRowCount][2];
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdCancel = nullptr;
};
