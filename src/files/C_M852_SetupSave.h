#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <array>

#include "base/ComponentError.h"
#include "comm/CMsgPacketNode.h"
#include "files/SetupRecord.h"

class CMsgManager;

inline constexpr quint32 kSetupSaveBusy = kComponentErrorBase + 220;        // a save is still running
inline constexpr quint32 kSetupFileUnreadable = kComponentErrorBase + 221;  // missing or unreadable
inline constexpr quint32 kSetupFileShort = kComponentErrorBase + 222;       // fewer than 614 bytes

// Saves all settings of a controller to a setup data file and writes such a file into a controller
// (File > Save Setup... / Restore Setup...). It works like a data group without a window: WinID 22,
// one-shot packets in the message manager's queue, replies through MessageReady. The record layout
// and the file format are in SetupRecord.h.
//
// Save: SaveSetup queues one one-shot read per block; each read reply is copied into the record and
// sets the block's bit in the received mask (a bit set twice counts once, so a block read twice never
// keeps the mask from completing). When all 12 bits are set the record is written to a temporary file
// beside the target, which then replaces the target (QSaveFile): the target is always either the old
// file or exactly the 614 new bytes, never a torn file or new bytes followed by the tail of a longer
// old file. Then DataSaved.
//
// A save does not wait for ever. A read that gets no valid reply is gone (one-shot), so the save
// counts polling rounds on the scan loop's ticks (OnScanTick): a round ends one tick after the last of
// its reads has gone out, which is when that read's reply was collected. The blocks still missing
// then are asked for again; when blocks are still missing after the third round the save stops with
// SaveFailed naming them. SaveProgress reports the blocks received so far. While a save runs another
// save, a live read (ReadSetup) or a restore is refused with ComponentError: the record is being
// filled, and a second save restarting the mask would never complete.
//
// Restore: RetrieveSetup reads the file whole before anything is queued; a file shorter than 614 bytes
// is refused (its missing words would be written into the controller as made-up values), a longer one
// is taken by its first 614 bytes. Then one one-shot write per block, in table order. The replies to
// the writes are ignored; the new settings show in the display windows' next polls.
//
// An empty file name (the file dialog was cancelled) starts nothing, in either direction.
class C_M852_SetupSave : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 22;
    // Rounds a block is asked for before the save gives up (setRounds changes it).
    static constexpr int kRounds = 3;

    // Takes the application object's message manager, or `manager` when given.
    explicit C_M852_SetupSave(CMsgManager* manager = nullptr, QObject* parent = nullptr);
    ~C_M852_SetupSave() override;
    C_M852_SetupSave(const C_M852_SetupSave&) = delete;
    C_M852_SetupSave& operator=(const C_M852_SetupSave&) = delete;

    [[nodiscard]] qint32 WinID() const { return kWinID; }

    // Remembers fileName and queues the 12 reads; the file is written when all have arrived. An empty
    // name does nothing. Throws ComponentError kSetupSaveBusy while a save or live read runs.
    void SaveSetup(const QString& fileName);
    // Reads the 12 blocks into the record without writing a file; SetupRead when complete (to compare
    // the connected controller with a file). Same rules as SaveSetup.
    void ReadSetup();
    // Remembers fileName, reads the file and queues the 12 writes. An empty name does nothing. Throws
    // ComponentError (kSetupFileUnreadable, kSetupFileShort, kSetupSaveBusy) and then queues nothing.
    void RetrieveSetup(const QString& fileName);

    // Stops a running save or live read with SaveFailed(reason) (the link was closed under it); does
    // nothing when none runs. Reads of it still queued go out later; their replies are ignored.
    void StopSave(const QString& reason);

    // The owner calls this after every scan tick (CScanLoop::ticked): it counts the polling rounds.
    void OnScanTick();

    [[nodiscard]] bool IsSaving() const { return m_saving; }
    [[nodiscard]] qint32 ReceivedMask() const { return m_receivedMask; }
    [[nodiscard]] int BlocksReceived() const;
    [[nodiscard]] int Round() const { return m_round; }
    [[nodiscard]] int Rounds() const { return m_rounds; }
    // At least 1; takes effect from the next round.
    void setRounds(int rounds) { m_rounds = rounds < 1 ? 1 : rounds; }
    [[nodiscard]] const SetupRecord::Words& Record() const { return m_record; }
    [[nodiscard]] const QString& FileName() const { return m_fileName; }
    // "910 x 84, 1252 x 3": the blocks a running save still waits for.
    [[nodiscard]] QString MissingBlocks() const;

signals:
    // The file of a save was written.
    void DataSaved();
    // A ReadSetup completed: Record() holds the controller's settings.
    void SetupRead();
    // Blocks received so far of `total` (12), at the start of a save and on every new block.
    void SaveProgress(int received, int total);
    // A save or live read stopped without result; `reason` says why (missing blocks, write failure).
    void SaveFailed(const QString& reason);

private slots:
    void m_MsgManager_MessageReady(qint32 WinID);

private:
    void startReading(bool writeFile);
    void queueReads(bool onlyMissing);
    void complete();
    void fail(const QString& reason);
    [[nodiscard]] CMsgManager* manager() const;

    QPointer<CMsgManager> m_MsgManager;
    SetupRecord::Words m_record{};
    qint32 m_receivedMask = 0;
    QString m_fileName;

    // One read packet per block, reused by every round and every save: a packet still waiting in
    // the queue is not queued twice.
    std::array<PacketPtr, SetupRecord::kBlockCount> m_reads;
    bool m_saving = false;
    bool m_writeFile = false;
    int m_round = 0;
    int m_rounds = kRounds;
    bool m_roundSent = false;  // every read of this round has gone out
};
