#include "groups/calibration/DW_M852_Calibration.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/clsApplication.h"
#include "base/UiServices.h"
#include "files/clsWndManager.h"
#include "groups/InputValidation.h"
#include "groups/SharedRoutines.h"
#include "groups/calibration/C_M852_Calibration.h"
#include "users/clsUser.h"

namespace {

struct RowSpec {
    const char* field;
    const char* title;
    // The reading's setter on the data object.
    void (C_M852_Calibration::*set)(int, double);
};

// In window order.
const RowSpec kRows[] = {
    {"L1L0", "A - N", &C_M852_Calibration::setL1L0}, {"L2L0", "B - N", &C_M852_Calibration::setL2L0},
    {"L3L0", "C - N", &C_M852_Calibration::setL3L0}, {"L1L2", "A - B", &C_M852_Calibration::setL1L2},
    {"L2L3", "B - C", &C_M852_Calibration::setL2L3}, {"L3L1", "C - A", &C_M852_Calibration::setL3L1},
};

constexpr int kThreePhase = 3;

// Keystrokes of a reading box: Backspace, the digits and one "." pass; a second ".", and anything
// else that types a character, is dropped with a beep. Keys that type nothing pass.
class ReadingKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || (key->modifiers() & Qt::ControlModifier)) return false;
        const QChar c = text.at(0);
        if (c == u'\b' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
        if (c >= u'0' && c <= u'9') return false;
        if (c == u'.') {
            auto* box = qobject_cast<QLineEdit*>(watched);
            // A "." typed over a selection that holds the only one replaces it and is fine.
            if (box && (!box->text().contains(u'.') || box->selectedText().contains(u'.'))) return false;
        }
        ui::services().beep();
        return true;
    }
};

bool isGuest() {
    const clsApplication* app = clsApplication::instance();
    return !app || !app->CurrentUser() || app->CurrentUser()->Role() == kGuestRole;
}

}  // namespace

DW_M852_Calibration::DW_M852_Calibration(QWidget* parent)
    : DW_M852_Calibration(std::make_unique<C_M852_Calibration>(), parent) {}

DW_M852_Calibration::DW_M852_Calibration(std::unique_ptr<C_M852_Calibration> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Cal = static_cast<C_M852_Calibration*>(&Data());
    setObjectName(QStringLiteral("DW_M852_Calibration"));
    setWindowTitle(QStringLiteral("Meter Calibration"));

    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    outer->addLayout(grid);

    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000.0")) + 16;
    for (int s = 0; s < 2; ++s) {
        const int col = s * 4;  // title, box, unit, gap
        auto* header = new QLabel(s == 0 ? QStringLiteral("Source N") : QStringLiteral("Source E"), this);
        header->setObjectName(QStringLiteral("lblSource_%1").arg(s));
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        grid->addWidget(header, 0, col, 1, 3, Qt::AlignHCenter);
        for (int r = 0; r < kRowCount; ++r) {
            const QString field = QLatin1String(kRows[r].field);
            Cell& cell = m_cells[r][s];
            cell.title = new QLabel(QLatin1String(kRows[r].title), this);
            cell.title->setObjectName(QStringLiteral("lblTitle%1_%2").arg(field).arg(s));
            cell.box = new QLineEdit(this);
            cell.box->setObjectName(QStringLiteral("txt%1_%2").arg(field).arg(s));
            cell.box->setFixedWidth(boxWidth);
            cell.box->setMaxLength(7);
            cell.box->setAlignment(Qt::AlignRight);
            cell.box->installEventFilter(new ReadingKeyFilter(cell.box));
            cell.box->installEventFilter(this);
            cell.title->setBuddy(cell.box);
            cell.unit = new QLabel(QStringLiteral("Volts"), this);
            cell.unit->setObjectName(QStringLiteral("lblUnit%1_%2").arg(field).arg(s));
            grid->addWidget(cell.title, r + 1, col);
            grid->addWidget(cell.box, r + 1, col + 1);
            grid->addWidget(cell.unit, r + 1, col + 2);
        }
        auto* hint = new QLabel(QStringLiteral("(75% - 98% of Nominal)"), this);
        hint->setObjectName(QStringLiteral("lblHint_%1").arg(s));
        grid->addWidget(hint, kRowCount + 1, col, 1, 3, Qt::AlignHCenter);
    }
    grid->setColumnMinimumWidth(3, 24);
    // Room for the single-phase title in the C - A row.
    grid->setColumnMinimumWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("L1 - L2")));
    grid->setColumnMinimumWidth(4, fontMetrics().horizontalAdvance(QStringLiteral("L1 - L2")));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdApply = new QPushButton(QStringLiteral("Apply"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdOK, cmdApply, cmdCancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    outer->addSpacing(6);
    outer->addLayout(buttons);
    outer->addStretch(1);

    // A guest may look but not calibrate.
    if (isGuest()) {
        cmdOK->setEnabled(false);
        cmdApply->setEnabled(false);
    }
    connect(cmdApply, &QPushButton::clicked, this, [this] { (void)Apply(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (Apply()) closeWindow();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &DW_M852_Calibration::closeWindow);

    // On load every box is empty (they are created so); the designed size has every row shown.
    setFixedSize(sizeHint());
}

bool DW_M852_Calibration::validate(QLineEdit* box) const {
    const QString text = box->text().trimmed();
    bool ok = text.isEmpty();
    if (!ok) {
        const double volts = ParseNumber(text, &ok);
        ok = ok && C_M852_Calibration::FitsRegister(volts);
    }
    SetBackColor(box, ok ? kValidBackColor : kInvalidBackColor);
    return ok;
}

bool DW_M852_Calibration::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the box within the window validates; switching to another window or application
        // does not, and neither does going to Cancel, which must always close the window.
        const bool leaving = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        const bool toCancel = QApplication::focusWidget() == cmdCancel;
        if (box && leaving && !toCancel && isVisible() && !validate(box)) {
            QTimer::singleShot(0, box, [box] {
                if (box->isVisible()) box->setFocus(Qt::OtherFocusReason);
            });
        }
    }
    return CDisplayWindow::eventFilter(watched, event);
}

bool DW_M852_Calibration::Apply() {
    if (IsUnloaded() || isGuest()) return false;
    // Every box the user can reach must be valid. A row hidden because its source turned out to be
    // single-phase cannot take the focus, so its text is taken if it is a reading and 0 otherwise.
    for (auto& row : m_cells) {
        for (Cell& cell : row) {
            if (cell.box->isVisibleTo(this) && !validate(cell.box)) {
                cell.box->setFocus(Qt::OtherFocusReason);
                return false;
            }
        }
    }
    if (!SetupAllowed()) {
        // Not connected: the readings stay in the boxes for when the link is back.
        ui::services().beep();
        return false;
    }
    m_Cal->ResetReadings();
    for (int r = 0; r < kRowCount; ++r) {
        for (int s = 0; s < 2; ++s) {
            bool ok = false;
            const double volts = ParseNumber(m_cells[r][s].box->text(), &ok);
            // An empty box leaves its reading at 0.
            if (ok && C_M852_Calibration::FitsRegister(volts)) (m_Cal->*kRows[r].set)(s, volts);
        }
    }
    m_Cal->SendSetup();
    return true;
}

void DW_M852_Calibration::closeWindow() {
    if (QMdiSubWindow* sub = clsWndManager::SubWindowOf(this))
        sub->close();
    else
        close();
}

void DW_M852_Calibration::UpdateDisplay() {
    for (int s = 0; s < 2; ++s) {
        const bool three = m_Cal->Phases(s) == kThreePhase;
        for (int r = 0; r < kRowCount; ++r) {
            if (r == kL3L1) continue;
            const Cell& cell = m_cells[r][s];
            for (QWidget* w : {static_cast<QWidget*>(cell.title), static_cast<QWidget*>(cell.box),
                               static_cast<QWidget*>(cell.unit)})
                w->setVisible(three);
        }
        m_cells[kL3L1][s].title->setText(three ? QStringLiteral("C - A") : QStringLiteral("L1 - L2"));
    }
}
