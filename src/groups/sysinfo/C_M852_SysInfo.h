#pragma once

#include <QString>
#include <vector>

#include "groups/CDataGroup.h"

// System information: software versions of the controller, its PIC and its four I/O modules, the
// device ID, and seven identification texts (20 characters in 10 registers, or 10 in 5).
//
// Texts are packed two single-byte characters per register, the first in the low byte; the bytes are
// taken as Latin-1, so every byte maps to one character and back unchanged. A decoded text keeps all
// its characters, 0 bytes included (ShownText cuts it at the first 0 for display). A text set for
// writing must fit its registers and hold Latin-1 characters only; anything else is refused with an
// OverflowError and the field keeps its value.
class C_M852_SysInfo : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 14;

    // The seven texts, in register order.
    enum Text { Designation, Description, Branch, Location, SerialATS, SerialControl, SerialContact };
    static constexpr int kTextCount = 7;

    explicit C_M852_SysInfo(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] QString TextField(Text t) const { return m_texts[t]; }
    void setTextField(Text t, const QString& text);
    // Register count of a text field (10 or 5); it holds twice as many characters.
    [[nodiscard]] static int TextRegisters(Text t);

    [[nodiscard]] int ControlMajor() const { return m_control >> 8; }
    [[nodiscard]] int ControlMinor() const { return m_control & 0xFF; }
    [[nodiscard]] int PICMajor() const { return m_pic >> 8; }
    [[nodiscard]] int PICMinor() const { return m_pic & 0xFF; }
    // k = 1..4; another k is an IndexOutOfRangeError.
    [[nodiscard]] int ModuleMajor(int k) const;
    [[nodiscard]] int ModuleMinor(int k) const;
    [[nodiscard]] qint16 DeviceID() const { return m_DeviceID; }

    // Registers -> text: low byte, then high byte of each register; all 2n characters kept.
    [[nodiscard]] static QString UnpackText(const std::vector<qint16>& regs);
    // Text -> n registers, zero-padded. Throws OverflowError for a text longer than 2n characters or
    // with a character beyond Latin-1.
    [[nodiscard]] static std::vector<qint16> PackText(const QString& text, int n);
    // The text up to its first 0 character.
    [[nodiscard]] static QString ShownText(const QString& text);
    // Major.minor of a module version byte (high nibble, low nibble); "N/A" when both are 0.
    [[nodiscard]] static QString FormatModuleVersion(int major, int minor);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    QString m_texts[kTextCount];
    quint16 m_control = 0;
    quint16 m_pic = 0;
    quint8 m_module[4] = {};
    qint16 m_DeviceID = 0;
};
