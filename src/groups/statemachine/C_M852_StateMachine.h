#pragma once

#include "groups/CDataGroup.h"

// State machine diagnostics: nine internal values of the controller's transfer logic, registers
// 1500-1508, read only. The seven integers are the raw signed registers; the two flags are true only
// for 0xFFFF (the controller's "true"), so 1 or any other pattern reads as false.
class C_M852_StateMachine : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 11;

    explicit C_M852_StateMachine(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] qint16 ContactorState() const { return m_ContactorState; }
    [[nodiscard]] qint16 ContactorPosition() const { return m_ContactorPosition; }
    [[nodiscard]] qint16 ContactorFunction() const { return m_ContactorFunction; }
    [[nodiscard]] qint16 PreferredSource() const { return m_PreferredSource; }
    [[nodiscard]] qint16 StandbySource() const { return m_StandbySource; }
    [[nodiscard]] qint16 ShutdownCause() const { return m_ShutdownCause; }
    [[nodiscard]] qint16 AutoManual() const { return m_AutoManual; }
    [[nodiscard]] bool ForcingToOff() const { return m_ForcingToOff; }
    [[nodiscard]] bool AreaProtection() const { return m_AreaProtection; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;

private:
    qint16 m_ContactorState = 0;
    qint16 m_ContactorPosition = 0;
    qint16 m_ContactorFunction = 0;
    qint16 m_PreferredSource = 0;
    qint16 m_StandbySource = 0;
    qint16 m_ShutdownCause = 0;
    qint16 m_AutoManual = 0;
    bool m_ForcingToOff = false;
    bool m_AreaProtection = false;
};
