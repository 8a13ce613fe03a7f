#include "groups/sysinfo/C_M852_SysInfo.h"

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

enum Block { kVersions = 0, kFirstText = 1, kDeviceId = 8 };

constexpr CDataGroup::ReadBlock kReads[] = {
    {1200, 7},                                                  // versions (1206 read, not used)
    {1110, 10}, {1120, 10}, {1130, 10}, {1140, 10},             // designation .. location
    {1150, 5},  {1155, 5},  {1160, 5},                          // three serial numbers
    {9999, 1},                                                  // device ID
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 1110, 10}, {16, 1120, 10}, {16, 1130, 10}, {16, 1140, 10}, {16, 1150, 5}, {16, 1155, 5}, {16, 1160, 5},
};

}  // namespace

C_M852_SysInfo::C_M852_SysInfo(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

int C_M852_SysInfo::TextRegisters(Text t) { return kWrites[t].count; }

void C_M852_SysInfo::setTextField(Text t, const QString& text) {
    (void)PackText(text, TextRegisters(t));  // refuses what the registers cannot hold
    m_texts[t] = text;
}

int C_M852_SysInfo::ModuleMajor(int k) const {
    if (k < 1 || k > 4) throw IndexOutOfRangeError();
    return m_module[k - 1] >> 4;
}

int C_M852_SysInfo::ModuleMinor(int k) const {
    if (k < 1 || k > 4) throw IndexOutOfRangeError();
    return m_module[k - 1] & 0x0F;
}

QString C_M852_SysInfo::UnpackText(const std::vector<qint16>& regs) {
    QString text;
    text.reserve(int(regs.size()) * 2);
    for (qint16 r : regs) {
        text.append(QChar(char16_t(LoByte(r))));
        text.append(QChar(char16_t(HiByte(r))));
    }
    return text;
}

std::vector<qint16> C_M852_SysInfo::PackText(const QString& text, int n) {
    if (text.size() > 2 * n) throw OverflowError();
    std::vector<qint16> regs(std::size_t(n), 0);
    for (qsizetype p = 0; p < text.size(); ++p) {
        const char16_t c = text.at(p).unicode();
        if (c > 0xFF) throw OverflowError();
        auto& word = regs[std::size_t(p / 2)];
        const quint16 bits = static_cast<quint16>(word);
        // Even positions (0-based) are the low byte, odd ones the high byte.
        word = static_cast<qint16>(p % 2 == 0 ? ((bits & 0xFF00u) | c) : ((bits & 0x00FFu) | (unsigned(c) << 8)));
    }
    return regs;
}

QString C_M852_SysInfo::ShownText(const QString& text) {
    const qsizetype zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

QString C_M852_SysInfo::FormatModuleVersion(int major, int minor) {
    if (major == 0 && minor == 0) return QStringLiteral("N/A");
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

void C_M852_SysInfo::DecodeBlock(int block, const Registers& r) {
    if (block == kVersions) {
        const quint16 control = quint16(r[0]);
        const quint16 pic = quint16(r[1]);
        quint8 modules[4];
        for (int k = 1; k <= 4; ++k) modules[k - 1] = LoByte(r[k + 1]);  // high byte ignored
        (void)r[6];  // spare, read with the block; its absence fails the decode
        m_control = control;
        m_pic = pic;
        for (int k = 0; k < 4; ++k) m_module[k] = modules[k];
        return;
    }
    if (block == kDeviceId) {
        m_DeviceID = r[0];
        return;
    }
    const int t = block - kFirstText;
    const int n = kWrites[t].count;
    std::vector<qint16> regs;
    for (int i = 0; i < n; ++i) regs.push_back(r[i]);
    m_texts[t] = UnpackText(regs);
}

std::vector<qint16> C_M852_SysInfo::EncodeBlock(int block) const {
    return PackText(m_texts[block], kWrites[block].count);
}
