#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Voltage setpoints of Source N (index 0) and Source E (index 1): over-voltage dropout (% of
// nominal) and pickup (% of the dropout), under-voltage pickup (% of nominal) and dropout (% of the
// pickup), and the debounce time (tenths of a second). The nominal system voltage (registers 24-25)
// is read for the absolute values only and never written. Per-source accessors take 0..2 (slot 2 is
// never filled); 3 or more is an IndexOutOfRangeError.
class C_M852_VoltSet : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 5;

    explicit C_M852_VoltSet(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] qint16 OverDrop(int i) const { return at(m_OverDrop, i); }
    void setOverDrop(int i, qint16 v) { at(m_OverDrop, i) = v; }
    [[nodiscard]] qint16 OverPick(int i) const { return at(m_OverPick, i); }
    void setOverPick(int i, qint16 v) { at(m_OverPick, i) = v; }
    [[nodiscard]] qint16 UnderPick(int i) const { return at(m_UnderPick, i); }
    void setUnderPick(int i, qint16 v) { at(m_UnderPick, i) = v; }
    [[nodiscard]] qint16 UnderDrop(int i) const { return at(m_UnderDrop, i); }
    void setUnderDrop(int i, qint16 v) { at(m_UnderDrop, i) = v; }
    // Seconds; written as seconds × 10 rounded half to even (OverflowError, value kept, beyond 16 bits).
    [[nodiscard]] double DebounceTime(int i) const { return at(m_DebounceTime, i) / 10.0; }
    void setDebounceTime(int i, double seconds);
    [[nodiscard]] double NominalVolts(int i) const { return at(m_Nominal, i) / 10.0; }

    // Absolute values from the unrounded nominal voltage.
    [[nodiscard]] double OverDropVolts(int i) const { return NominalVolts(i) * OverDrop(i) / 100.0; }
    [[nodiscard]] double OverPickVolts(int i) const { return OverDropVolts(i) * OverPick(i) / 100.0; }
    [[nodiscard]] double UnderPickVolts(int i) const { return NominalVolts(i) * UnderPick(i) / 100.0; }
    [[nodiscard]] double UnderDropVolts(int i) const { return UnderPickVolts(i) * UnderDrop(i) / 100.0; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    // Any reply that does not start at 45 is taken as the nominal block.
    int FallbackBlock() const override { return 1; }

private:
    using PerSource = std::array<qint16, 3>;
    [[nodiscard]] static qint16 at(const PerSource& a, int i);
    [[nodiscard]] static qint16& at(PerSource& a, int i);

    PerSource m_OverDrop{}, m_OverPick{}, m_UnderPick{}, m_UnderDrop{}, m_DebounceTime{}, m_Nominal{};
};
