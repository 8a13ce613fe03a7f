#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Source information: measured voltages, frequency and phase rotation of Source N (index 0) and
// Source E (index 1), and the configured system voltage, frequency, phases and expected rotation.
// Values with one decimal are kept as the raw registers (ten times the value) and scaled by the
// accessors. Per-source accessors take 0..2 (slot 2 is never filled); 3 or more is an
// IndexOutOfRangeError.
class C_M852_SourceInfo : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 3;

    explicit C_M852_SourceInfo(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] double VoltAN(int i) const { return at(m_VoltAN, i) / 10.0; }
    [[nodiscard]] double VoltBN(int i) const { return at(m_VoltBN, i) / 10.0; }
    [[nodiscard]] double VoltCN(int i) const { return at(m_VoltCN, i) / 10.0; }
    [[nodiscard]] double VoltAB(int i) const { return at(m_VoltAB, i) / 10.0; }
    [[nodiscard]] double VoltBC(int i) const { return at(m_VoltBC, i) / 10.0; }
    [[nodiscard]] double VoltCA(int i) const { return at(m_VoltCA, i) / 10.0; }
    [[nodiscard]] double Freq(int i) const { return at(m_Freq, i) / 10.0; }
    // 0 = CBA, 1 = ABC, 2 = not available.
    [[nodiscard]] qint16 ActRotation(int i) const { return at(m_ActRotation, i); }
    // 1 = ABC, 0 = CBA.
    [[nodiscard]] qint16 ExpRotation() const { return m_ExpRotation; }
    void setExpRotation(qint16 v) { m_ExpRotation = v ? 1 : 0; }
    [[nodiscard]] double SysVolt(int i) const { return at(m_SysVolt, i) / 10.0; }
    // volts × 10 rounded half to even; OverflowError (value unchanged) beyond 3276.7 V.
    void setSysVolt(int i, double volts);
    [[nodiscard]] double SysFreq(int i) const { return at(m_SysFreq, i) / 10.0; }
    void setSysFreq(int i, double hertz);
    [[nodiscard]] qint16 Phases(int i) const { return at(m_Phases, i); }
    void setPhases(int i, qint16 phases);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    using PerSource = std::array<qint16, 3>;
    [[nodiscard]] static qint16 at(const PerSource& a, int i);
    [[nodiscard]] static qint16& at(PerSource& a, int i);
    [[nodiscard]] static qint16 rotationOf(int twoBits);

    PerSource m_VoltAN{}, m_VoltBN{}, m_VoltCN{};
    PerSource m_VoltAB{}, m_VoltBC{}, m_VoltCA{};
    PerSource m_Freq{};
    PerSource m_ActRotation{};
    qint16 m_ExpRotation = 0;
    PerSource m_SysVolt{}, m_SysFreq{}, m_Phases{};
};
