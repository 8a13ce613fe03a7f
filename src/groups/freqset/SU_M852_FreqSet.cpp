#include "groups/freqset/SU_M852_FreqSet.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "groups/InputValidation.h"
#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"
#include "groups/freqset/C_M852_FreqSet.h"

namespace {

// A box's text as a whole number (half to even), or nothing while it is not a number.
std::optional<double> whole(const QLineEdit* box) {
    bool ok = false;
    const double v = ParseNumber(box->text(), &ok);
    if (!ok) return std::nullopt;
    return RoundHalfEven(v);
}

std::optional<double> number(const QLineEdit* box) {
    bool ok = false;
    const double v = ParseNumber(box->text(), &ok);
    if (!ok) return std::nullopt;
    return v;
}

qint16 wholeOr(const QLineEdit* box, qint16 fallback) {
    const auto v = whole(box);
    if (!v || *v < -32768 || *v > 32767) return fallback;
    return qint16(*v);
}

}  // namespace

SU_M852_FreqSet::SU_M852_FreqSet(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_FreqSet"));
    setWindowTitle(QStringLiteral("Frequency Setpoints Setup"));
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
                *live = new QLabel(QStringLiteral("0.0 Hz"), frame);
                (*live)->setObjectName(QStringLiteral("lbl%1Freq_%2").arg(QLatin1String(name)).arg(s));
                (*live)->setMinimumWidth(
                    (*live)->fontMetrics().horizontalAdvance(QStringLiteral("000.0 Hz")));
                grid->addWidget(*live, row, 2);
            }
            auto* h = new QLabel(hint, frame);
            h->setObjectName(QStringLiteral("lbl%1Range_%2").arg(QLatin1String(name)).arg(s));
            grid->addWidget(h, row, 3);
            ++row;
            return box;
        };
        txtUnderPick[s] = addRow("UnderPick", QStringLiteral("Under Freq Pickup"),
                                 QStringLiteral("(80% - 95% Nominal)"), 80, 95, false, &lblUnderPickFreq[s]);
        txtUnderDrop[s] = addRow("UnderDrop", QStringLiteral("Under Freq Dropout"),
                                 QStringLiteral("(95% - 99% Pickup)"), 95, 99, false, &lblUnderDropFreq[s]);
        txtOverPick[s] =
            addRow("OverPick", QStringLiteral("Over Freq Pickup"), QStringLiteral("(105% - 120% Nominal)"),
                   105, 120, false, &lblOverPickFreq[s]);
        txtOverDrop[s] = addRow("OverDrop", QStringLiteral("Over Freq Dropout"),
                                QStringLiteral("(101% - 105% Pickup)"), 101, 105, false, &lblOverDropFreq[s]);
        txtDebounceTime[s] = addRow("DebounceTime", QStringLiteral("Freq Dropout Time"),
                                    QStringLiteral("(0.1 Sec - 15 Sec)"), 0.1, 15, true, nullptr);
        columns->addWidget(frame);
    }
}

// Each label is recomputed only when every box it uses holds a number; otherwise it keeps its text.
// The texts are taken as decimals and the nominal frequency unrounded.
void SU_M852_FreqSet::updateLiveLabels(int s) {
    if (!lblOverDropFreq[s]) return;  // still being built
    const double n = m_nominal[s];
    const auto up = number(txtUnderPick[s]), ud = number(txtUnderDrop[s]);
    const auto op = number(txtOverPick[s]), od = number(txtOverDrop[s]);
    if (up) lblUnderPickFreq[s]->setText(NumberFormat::Format(*up * n / 100.0, u"0.0 Hz"));
    if (up && ud) lblUnderDropFreq[s]->setText(NumberFormat::Format(*ud * *up * n / 10000.0, u"0.0 Hz"));
    if (op) lblOverPickFreq[s]->setText(NumberFormat::Format(*op * n / 100.0, u"0.0 Hz"));
    if (op && od) lblOverDropFreq[s]->setText(NumberFormat::Format(*od * *op * n / 10000.0, u"0.0 Hz"));
}

void SU_M852_FreqSet::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_FreqSet&>(data);
    for (int s = 0; s < 2; ++s) {
        m_nominal[s] = d.NominalFreq(s);
        txtUnderPick[s]->setText(QString::number(d.UnderPick(s)));
        txtUnderDrop[s]->setText(QString::number(d.UnderDrop(s)));
        txtOverDrop[s]->setText(QString::number(d.OverDrop(s)));
        txtOverPick[s]->setText(QString::number(d.OverPick(s)));
        txtDebounceTime[s]->setText(NumberFormat::Format(d.DebounceTime(s), u"0.0"));
        updateLiveLabels(s);
    }
}

void SU_M852_FreqSet::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_FreqSet&>(data);
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
