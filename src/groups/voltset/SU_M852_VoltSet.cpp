#include "groups/voltset/SU_M852_VoltSet.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "groups/InputValidation.h"
#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"
#include "groups/voltset/C_M852_VoltSet.h"

namespace {

// A box's text as a whole number (half to even), or nothing while it is not a number.
std::optional<double> whole(const QLineEdit* box) {
    bool ok = false;
    const double v = ParseNumber(box->text(), &ok);
    if (!ok) return std::nullopt;
    return RoundHalfEven(v);
}

qint16 wholeOr(const QLineEdit* box, qint16 fallback) {
    const auto v = whole(box);
    if (!v || *v < -32768 || *v > 32767) return fallback;
    return qint16(*v);
}

}  // namespace

SU_M852_VoltSet::SU_M852_VoltSet(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_VoltSet"));
    setWindowTitle(QStringLiteral("Voltage Setpoints Setup"));
    auto* columns = new QHBoxLayout(body());
    columns->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < 2; ++s) {
        auto* frame = new QGroupBox(s == 0 ? QStringLiteral("Source N") : QStringLiteral("Source E"), body());
        frame->setObjectName(QStringLiteral("fraSource_%1").arg(s));
        auto* grid = new QGridLayout(frame);
        int row = 0;
        auto addRow = [&](const char* name, const QString& title, const QString& hint, double min, double max,
                          bool time, QLabel** live) {
            auto* t = new QLabel(title, frame);
            t->setObjectName(QStringLiteral("lblTitle%1_%2").arg(QLatin1String(name)).arg(s));
            auto* box = new QLineEdit(frame);
            box->setObjectName(QStringLiteral("txt%1_%2").arg(QLatin1String(name)).arg(s));
            box->setMaxLength(5);
            box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
            t->setBuddy(box);
            if (time)
                CNumericKeyFilter::install(box, QStringLiteral("."), QStringLiteral("."));
            else
                CNumericKeyFilter::install(box);
            validateRange(box, min, max);
            connect(box, &QLineEdit::textChanged, this, [this, s] { updateLiveLabels(s); });
            grid->addWidget(t, row, 0);
            grid->addWidget(box, row, 1);
            if (live) {
                *live = new QLabel(QStringLiteral("0V"), frame);
                (*live)->setObjectName(QStringLiteral("lbl%1Volts_%2").arg(QLatin1String(name)).arg(s));
                (*live)->setMinimumWidth((*live)->fontMetrics().horizontalAdvance(QStringLiteral("0000V")));
                grid->addWidget(*live, row, 2);
            }
            auto* h = new QLabel(hint, frame);
            h->setObjectName(QStringLiteral("lbl%1Range_%2").arg(QLatin1String(name)).arg(s));
            grid->addWidget(h, row, 3);
            ++row;
            return box;
        };
        txtUnderPick[s] =
            addRow("UnderPick", QStringLiteral("Under Volt Pickup"), QStringLiteral("(85% - 100% Nominal)"),
                   85, 100, false, &lblUnderPickVolts[s]);
        txtUnderDrop[s] = addRow("UnderDrop", QStringLiteral("Under Volt Dropout"),
                                 QStringLiteral("(75% - 98% Pickup)"), 75, 98, false, &lblUnderDropVolts[s]);
        txtOverDrop[s] =
            addRow("OverDrop", QStringLiteral("Over Volt Dropout"), QStringLiteral("(105% - 135% Nominal)"),
                   105, 135, false, &lblOverDropVolts[s]);
        txtOverPick[s] = addRow("OverPick", QStringLiteral("Over Volt Pickup"),
                                QStringLiteral("(95% - 100% Dropout)"), 95, 100, false, &lblOverPickVolts[s]);
        txtDebounceTime[s] = addRow("DebounceTime", QStringLiteral("Debounce Time"),
                                    QStringLiteral("(0.1 Sec - 9.9 Sec)"), 0.1, 9.9, true, nullptr);
        columns->addWidget(frame);
    }
}

// Each label is recomputed only when every box it uses holds a number; otherwise it keeps its text.
void SU_M852_VoltSet::updateLiveLabels(int s) {
    if (!lblOverPickVolts[s]) return;  // still being built
    const double n = RoundHalfEven(m_nominal[s]);
    const auto up = whole(txtUnderPick[s]), ud = whole(txtUnderDrop[s]);
    const auto od = whole(txtOverDrop[s]), op = whole(txtOverPick[s]);
    if (up) lblUnderPickVolts[s]->setText(NumberFormat::Format(*up * n / 100.0, u"0V"));
    if (up && ud) lblUnderDropVolts[s]->setText(NumberFormat::Format(*ud * *up * n / 10000.0, u"0V"));
    if (od) lblOverDropVolts[s]->setText(NumberFormat::Format(*od * n / 100.0, u"0V"));
    if (od && op) lblOverPickVolts[s]->setText(NumberFormat::Format(*op * *od * n / 10000.0, u"0V"));
}

void SU_M852_VoltSet::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_VoltSet&>(data);
    for (int s = 0; s < 2; ++s) {
        m_nominal[s] = d.NominalVolts(s);
        txtUnderPick[s]->setText(QString::number(d.UnderPick(s)));
        txtUnderDrop[s]->setText(QString::number(d.UnderDrop(s)));
        txtOverDrop[s]->setText(QString::number(d.OverDrop(s)));
        txtOverPick[s]->setText(QString::number(d.OverPick(s)));
        txtDebounceTime[s]->setText(NumberFormat::Format(d.DebounceTime(s), u"0.0"));
        updateLiveLabels(s);
    }
}

void SU_M852_VoltSet::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_VoltSet&>(data);
    // Every box passed its range before OK, so each converts; a box that somehow does not keeps the
    // controller's value.
    for (int s = 0; s < 2; ++s) {
        d.setOverDrop(s, wholeOr(txtOverDrop[s], d.OverDrop(s)));
        d.setOverPick(s, wholeOr(txtOverPick[s], d.OverPick(s)));
        d.setUnderDrop(s, wholeOr(txtUnderDrop[s], d.UnderDrop(s)));
        d.setUnderPick(s, wholeOr(txtUnderPick[s], d.UnderPick(s)));
    }
    for (int s = 0; s < 2; ++s) {
        bool ok = false;
        const double seconds = ParseNumber(txtDebounceTime[s]->text(), &ok);
        if (ok) d.setDebounceTime(s, seconds);
    }
}
