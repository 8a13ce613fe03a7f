#include "app/frmOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

#include "base/StringTable.h"
#include "base/UiServices.h"
#include "comm/CScanLoop.h"
#include "comm/SerialDeviceNames.h"

namespace {

// A caption from the string table, or the given text when the table lacks the id.
QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromUtf8(fallback));
}

// The text of a box as a 16-bit integer, as the settings hold it; nothing for empty text, text
// that is no number, or a number beyond 16 bits.
std::optional<qint16> toInt16(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

QString portDescription(int number, const QString& device) {
    if (number == 0) return QStringLiteral("built-in simulated controller");
    if (device.isEmpty()) return QStringLiteral("no device has this number");
    return device;
}

enum PortColumn { kColNumber, kColDevice, kColDescription };
constexpr int kRoleNumber = Qt::UserRole;
constexpr int kRoleStablePath = Qt::UserRole + 1;
constexpr int kRoleDevice = Qt::UserRole + 2;

}  // namespace

frmOptions::frmOptions(CScanLoop& loop, QWidget* parent, PortDetector detect)
    : QDialog(parent), m_loop(loop), m_detect(std::move(detect)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(text(330, "Options"));
    setModal(true);

    lblPortNo = new QLabel(text(331, "COM &Port"), this);
    txtPortNo = new QLineEdit(this);
    txtPortNo->setObjectName(QStringLiteral("txtPortNo"));
    lblPortNo->setBuddy(txtPortNo);

    // The up-down spinner bound to the port box: steps the number in the box within the port range.
    updPortNo = new QWidget(this);
    updPortNo->setObjectName(QStringLiteral("updPortNo"));
    updPortNoUp = new QToolButton(updPortNo);
    updPortNoUp->setObjectName(QStringLiteral("updPortNoUp"));
    updPortNoUp->setArrowType(Qt::UpArrow);
    updPortNoDown = new QToolButton(updPortNo);
    updPortNoDown->setObjectName(QStringLiteral("updPortNoDown"));
    updPortNoDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {updPortNoUp, updPortNoDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 12);
    }
    auto* spinLayout = new QVBoxLayout(updPortNo);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    spinLayout->addWidget(updPortNoUp);
    spinLayout->addWidget(updPortNoDown);
    auto step = [this](int delta) {
        const int current = toInt16(txtPortNo->text()).value_or(0);
        const int next =
            std::clamp(current + delta, CSerialService::minPortNumber(), CSerialService::maxPortNumber());
        txtPortNo->setText(QString::number(next));
    };
    connect(updPortNoUp, &QToolButton::clicked, this, [step] { step(+1); });
    connect(updPortNoDown, &QToolButton::clicked, this, [step] { step(-1); });

    lblPortDevice = new QLabel(this);
    lblPortDevice->setObjectName(QStringLiteral("lblPortDevice"));
    lblPortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPortDevice->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("built-in simulated controller  ")));

    auto* lblPorts = new QLabel(QStringLiteral("Serial ports found on this computer:"), this);
    lstPorts = new QTreeWidget(this);
    lstPorts->setObjectName(QStringLiteral("lstPorts"));
    lstPorts->setColumnCount(3);
    lstPorts->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("Adapter")});
    lstPorts->setRootIsDecorated(false);
    lstPorts->setAllColumnsShowFocus(true);
    lstPorts->setUniformRowHeights(true);
    lstPorts->header()->setStretchLastSection(true);
    lstPorts->setMinimumHeight(fontMetrics().height() * 7);
    lstPorts->setMinimumWidth(fontMetrics().averageCharWidth() * 64);

    auto* lblReadScanRate = new QLabel(QStringLiteral("&Read Scanrate"), this);
    txtReadScanRate = new QLineEdit(this);
    txtReadScanRate->setObjectName(QStringLiteral("txtReadScanRate"));
    lblReadScanRate->setBuddy(txtReadScanRate);
    auto* lblWriteScanRate = new QLabel(QStringLiteral("&Write Scanrate"), this);
    txtWriteScanRate = new QLineEdit(this);
    txtWriteScanRate->setObjectName(QStringLiteral("txtWriteScanRate"));
    lblWriteScanRate->setBuddy(txtWriteScanRate);

    // The scan rates stay editable: with the automatic scan rate on they are the longest wait.
    chkAutoScanRate = new QCheckBox(QStringLiteral("Automatic (as fast as the controller answers)"), this);
    chkAutoScanRate->setObjectName(QStringLiteral("chkAutoScanRate"));
    chkAutoScanRate->setToolTip(
        QStringLiteral("Each request waits only as long as the line and the controller need; the scan "
                       "rates are then the longest wait."));

    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16;
    for (QLineEdit* box : {txtPortNo, txtReadScanRate, txtWriteScanRate}) {
        box->setFixedWidth(boxWidth);
        box->setAlignment(Qt::AlignRight);
        box->installEventFilter(this);
    }

    cmdOK = new QPushButton(text(333, "OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(text(334, "Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->addWidget(lblPortNo, 0, 0);
    auto* portRow = new QHBoxLayout;
    portRow->setSpacing(2);
    portRow->addWidget(txtPortNo);
    portRow->addWidget(updPortNo);
    grid->addLayout(portRow, 0, 1);
    grid->addWidget(lblPortDevice, 0, 2, 1, 2);
    grid->addWidget(lblReadScanRate, 1, 0);
    grid->addWidget(txtReadScanRate, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("milliseconds"), this), 1, 2);
    grid->addWidget(lblWriteScanRate, 2, 0);
    grid->addWidget(txtWriteScanRate, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("milliseconds"), this), 2, 2);
    grid->addWidget(chkAutoScanRate, 1, 3, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnMinimumWidth(3, chkAutoScanRate->sizeHint().width());
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(lblPorts);
    layout->addWidget(lstPorts, 1);
    layout->addLayout(buttons);

    txtPortNo->setText(QString::number(m_loop.serial().COM_Number()));
    txtReadScanRate->setText(QString::number(m_loop.ReadScanRate()));
    txtWriteScanRate->setText(QString::number(m_loop.WriteScanRate()));
    chkAutoScanRate->setChecked(m_loop.AutomaticScanRate());
    connect(txtPortNo, &QLineEdit::textChanged, this, &frmOptions::updateDeviceLabel);
    updateDeviceLabel();

    fillPortList();
    connect(lstPorts, &QTreeWidget::itemClicked, this, &frmOptions::portChosen);
    connect(lstPorts, &QTreeWidget::itemActivated, this, &frmOptions::portChosen);
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    txtPortNo->setFocus(Qt::ActiveWindowFocusReason);
}

// Only digits and Backspace may be typed; every other character is dropped before the box sees it.
// Keys that type nothing (arrows, Delete, Home, Tab) and the dialog keys Enter and Escape pass.
bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Backspace:
            // Delete types nothing, but some desktops (X11) send it with the text "\x7f".
            case Qt::Key_Delete:
                return QDialog::eventFilter(watched, event);
            default:
                break;
        }
        const QString typed = key->text();
        if (!typed.isEmpty()) {
            const QChar c = typed.at(0);
            if (typed.size() != 1 || !(c >= u'0' && c <= u'9')) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::refusedInput(QLineEdit* box) {
    ui::services().beep();
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void frmOptions::cmdOK_Click() {
    // 1. The port number. The serial service refuses numbers it has no use for.
    const auto port = toInt16(txtPortNo->text());
    try {
        if (!port) throw std::invalid_argument("port");
        if (m_pendingOverride && m_pendingOverride->first == *port) {
            QMap<int, QString> overrides = m_loop.serial().portOverrides();
            overrides.insert(m_pendingOverride->first, m_pendingOverride->second);
            m_loop.serial().setPortOverrides(overrides);
        }
        m_loop.serial().setCOM_Number(*port);
    } catch (...) {
        refusedInput(txtPortNo);
        return;
    }
    // 2. and 3. The scan rates; the scan loop refuses values below 1.
    const std::pair<QLineEdit*, void (CScanLoop::*)(qint16)> rates[] = {
        {txtReadScanRate, &CScanLoop::setReadScanRate},
        {txtWriteScanRate, &CScanLoop::setWriteScanRate},
    };
    for (const auto& [box, assign] : rates) {
        const auto value = toInt16(box->text());
        try {
            if (!value) throw std::invalid_argument("rate");
            (m_loop.*assign)(*value);
        } catch (...) {
            refusedInput(box);
            return;
        }
    }
    // 4. The automatic scan rate.
    m_loop.setAutomaticScanRate(chkAutoScanRate->isChecked());
    accept();
}

void frmOptions::updateDeviceLabel() {
    const auto number = toInt16(txtPortNo->text());
    if (!number || *number < CSerialService::minPortNumber() || *number > CSerialService::maxPortNumber()) {
        lblPortDevice->setText(QStringLiteral("not a port number"));
        return;
    }
    QString device = m_loop.serial().deviceForPort(*number);
    if (m_pendingOverride && m_pendingOverride->first == *number) device = m_pendingOverride->second;
    lblPortDevice->setText(portDescription(*number, device));
}

void frmOptions::fillPortList() {
    const QList<CSerialService::PortInfo> ports =
        m_detect ? m_detect() : CSerialService::detectPorts(m_loop.serial().portOverrides());
    for (const CSerialService::PortInfo& p : ports) {
        auto* item = new QTreeWidgetItem(lstPorts);
        const bool hasNumber = p.number >= 0;
        item->setText(kColNumber,
                      hasNumber ? QStringLiteral("COM%1").arg(p.number) : QStringLiteral("(new)"));
        item->setText(kColDevice, p.number == 0 ? QStringLiteral("built-in simulated controller") : p.device);
        QString adapter = p.description;
        if (!p.manufacturer.isEmpty() && !adapter.contains(p.manufacturer))
            adapter += (adapter.isEmpty() ? QString() : QStringLiteral(" (")) + p.manufacturer +
                       (adapter.isEmpty() ? QString() : QStringLiteral(")"));
        if (p.number == 0) adapter.clear();
        item->setText(kColDescription, adapter);
        if (!p.stablePath.isEmpty()) item->setToolTip(kColDevice, p.stablePath);
        item->setData(kColNumber, kRoleNumber, p.number);
        item->setData(kColNumber, kRoleStablePath, p.stablePath);
        item->setData(kColNumber, kRoleDevice, p.device);
    }
    for (int c = 0; c < lstPorts->columnCount() - 1; ++c) lstPorts->resizeColumnToContents(c);
}

int frmOptions::freeNumberFor() const {
    const QMap<int, QString> overrides = m_loop.serial().portOverrides();
    for (int n = 1; n <= CSerialService::maxPortNumber(); ++n)
        if (SerialDeviceNames::conventionalDevice(n).isEmpty() && !overrides.contains(n)) return n;
    return -1;
}

void frmOptions::portChosen() {
    const QTreeWidgetItem* item = lstPorts->currentItem();
    if (!item) return;
    int number = item->data(kColNumber, kRoleNumber).toInt();
    const QString stablePath = item->data(kColNumber, kRoleStablePath).toString();
    const QString device = item->data(kColNumber, kRoleDevice).toString();
    m_pendingOverride.reset();
    if (number < 0) {
        // A device no number reaches: give it a free number that maps to it.
        number = freeNumberFor();
        if (number < 0) {
            ui::services().beep();
            return;
        }
        m_pendingOverride = std::make_pair(number, stablePath.isEmpty() ? device : stablePath);
    } else if (number > 0 && !stablePath.isEmpty() && m_loop.serial().deviceForPort(number) != stablePath) {
        // A USB adapter: keep reaching it by the path that survives re-plugging.
        m_pendingOverride = std::make_pair(number, stablePath);
    }
    txtPortNo->setText(QString::number(number));
    updateDeviceLabel();
}
