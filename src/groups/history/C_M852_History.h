#pragma once

#include <QDate>
#include <QTime>
#include <array>

#include "groups/CDataGroup.h"

// Event history: the controller's last 100 events (records 0-99, five registers each at 150 + 5r)
// and the record of the last loss of the preferred source (registers 1010-1013).
//
// Seven persistent polls: the five table blocks of 20 records (150, 250, 350, 450, 550 × 100),
// 1010 × 2 (time and date of the last loss) and 1012 × 2 (its duration). ClearHistory() queues one
// write of 1 to command register 1351 (function 6), which makes the controller erase its history.
//
// Every field is kept as the raw signed register value; EventDate() decodes the PackedDate word on
// each read. Until the first reply every record is zero (code 0 is never shown), the last loss is
// 00:00 on 1 January 2000 and lasted 0 minutes.
class C_M852_History : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 7;
    static constexpr int kRecords = 100;
    static constexpr qint16 kClearRegister = 1351;

    struct EventRecord {
        qint16 time = 0;  // minutes after midnight
        qint16 date = 0;  // PackedDate
        qint16 code = 0;
        qint16 data[2] = {0, 0};  // element 1 (index 0): 1 = set, anything else = cleared; element 2 unused
    };

    explicit C_M852_History(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Position 0..99; anything else is an IndexOutOfRangeError.
    [[nodiscard]] qint16 EventTime(int position) const { return record(position).time; }
    // The record's date, decoded from its PackedDate word.
    [[nodiscard]] QDate EventDate(int position) const;
    [[nodiscard]] qint16 EventDateWord(int position) const { return record(position).date; }
    [[nodiscard]] qint16 EventCode(int position) const { return record(position).code; }
    // element 1 (the state) or 2; any other element is an IndexOutOfRangeError.
    [[nodiscard]] qint16 EventData(int position, int element) const;

    [[nodiscard]] QTime LastLossTime() const { return m_LastLossTime; }
    [[nodiscard]] QDate LastLossDate() const { return m_LastLossDate; }
    [[nodiscard]] qint32 LastLossDuration() const { return m_LastLossDuration; }

    // Queues the request that erases the controller's event history (one write, sent once).
    void ClearHistory();

    // True once the reply of read block `block` (index into the seven polls) has been decoded.
    [[nodiscard]] bool BlockDecoded(int block) const;
    [[nodiscard]] bool AllBlocksDecoded() const;

protected:
    void DecodeBlock(int block, const Registers& regs) override;

private:
    [[nodiscard]] const EventRecord& record(int position) const;

    std::array<EventRecord, kRecords> m_Events{};
    QTime m_LastLossTime{0, 0};
    QDate m_LastLossDate{2000, 1, 1};
    qint32 m_LastLossDuration = 0;
    quint32 m_decoded = 0;  // bit b: block b decoded at least once
};
