#pragma once

#include "groups/CSetupDialog.h"

class QLabel;
class QLineEdit;

// Time Delay Setup: one "mm:ss" box per delay ("mm:ss.s" for the two programmed-transition delays),
// with a range hint that is not enforced. An entry the register cannot hold (more than 32767 s, or
// more than 6553.5 s for the tenth-based delays) turns the box light red and keeps the focus, like
// every other invalid entry, instead of failing on OK. A text that is no time text stores 0.
// OK writes registers 32-43, 34 and 35 as 0.
class SU_M852_TimeDelay : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_TimeDelay(QWidget* parent = nullptr);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private:
    QLineEdit* m_box[10] = {};
    QLabel* lblEngStartARange = nullptr;
    QLabel* lblEngStartBRange = nullptr;
};
