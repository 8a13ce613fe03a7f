#include "files/C_M852_SetupSave.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include "app/clsApplication.h"
#include "comm/CMsgManager.h"

namespace {

constexpr qint32 kReadHoldingRegisters = 3;
constexpr qint32 kWriteMultipleRegisters = 16;

QString source(const char* member) { return QStringLiteral("C_M852_SetupSave::") + QLatin1String(member); }

PacketPtr makePacket(const SetupRecord::Block& block, qint32 function) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setWinID(static_cast<qint16>(C_M852_SetupSave::kWinID));
    p->setDeviceAddr(0);
    p->setMsgType(function);
    p->setPersistent(false);
    p->setStartingReg(block.start);
    p->setNumReg(block.count);
    return p;
}

}  // namespace

C_M852_SetupSave::C_M852_SetupSave(CMsgManager* manager, QObject* parent) : QObject(parent) {
    if (!manager) {
        if (auto* app = clsApplication::instance()) manager = app->MsgManager();
    }
    if (!manager)
        throw ComponentError(kComponentErrorBase, source("Class_Initialize"),
                             QStringLiteral("No message manager"));
    m_MsgManager = manager;
    connect(manager, &CMsgManager::MessageReady, this, &C_M852_SetupSave::m_MsgManager_MessageReady,
            Qt::DirectConnection);
    for (int i = 0; i < SetupRecord::kBlockCount; ++i)
        m_reads[size_t(i)] = makePacket(SetupRecord::kBlocks[size_t(i)], kReadHoldingRegisters);
}

C_M852_SetupSave::~C_M852_SetupSave() = default;

CMsgManager* C_M852_SetupSave::manager() const { return m_MsgManager.data(); }

int C_M852_SetupSave::BlocksReceived() const {
    int n = 0;
    for (const auto& b : SetupRecord::kBlocks)
        if (m_receivedMask & b.bit) ++n;
    return n;
}

QString C_M852_SetupSave::MissingBlocks() const {
    QStringList missing;
    for (const auto& b : SetupRecord::kBlocks)
        if (!(m_receivedMask & b.bit)) missing << QStringLiteral("%1 x %2").arg(b.start).arg(b.count);
    return missing.join(QStringLiteral(", "));
}

void C_M852_SetupSave::SaveSetup(const QString& fileName) {
    // A cancelled file dialog hands over the empty name: nothing to save to, so nothing is read.
    if (fileName.isEmpty()) return;
    if (m_saving)
        throw ComponentError(kSetupSaveBusy, source("SaveSetup"),
                             QStringLiteral("A setup save is still running (%1 of %2 blocks received).")
                                 .arg(BlocksReceived())
                                 .arg(SetupRecord::kBlockCount));
    m_fileName = fileName;
    startReading(true);
}

void C_M852_SetupSave::ReadSetup() {
    if (m_saving)
        throw ComponentError(kSetupSaveBusy, source("ReadSetup"),
                             QStringLiteral("A setup save is still running."));
    startReading(false);
}

void C_M852_SetupSave::startReading(bool writeFile) {
    m_writeFile = writeFile;
    m_receivedMask = 0;
    m_saving = true;
    m_round = 1;
    m_roundSent = false;
    queueReads(false);
    emit SaveProgress(0, SetupRecord::kBlockCount);
}

void C_M852_SetupSave::queueReads(bool onlyMissing) {
    CMsgManager* m = manager();
    if (!m) return;
    for (int i = 0; i < SetupRecord::kBlockCount; ++i) {
        if (onlyMissing && (m_receivedMask & SetupRecord::kBlocks[size_t(i)].bit)) continue;
        // A read left over from an earlier, cancelled save that is still waiting is not queued twice.
        m->AddMsgPacket(m_reads[size_t(i)]);
    }
}

void C_M852_SetupSave::RetrieveSetup(const QString& fileName) {
    if (fileName.isEmpty()) return;
    // The record is being filled by a save: a restore now would mix the file into the saved setup.
    if (m_saving)
        throw ComponentError(kSetupSaveBusy, source("RetrieveSetup"),
                             QStringLiteral("A setup save is still running."));

    // The whole file is read and checked before the first packet is made, so a bad file writes
    // nothing into the controller.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ComponentError(kSetupFileUnreadable, source("RetrieveSetup"),
                             QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.read(SetupRecord::kFileSize);
    if (file.error() != QFileDevice::NoError)
        throw ComponentError(kSetupFileUnreadable, source("RetrieveSetup"),
                             QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    file.close();
    const auto words = SetupRecord::fromBytes(bytes);
    if (!words)
        throw ComponentError(kSetupFileShort, source("RetrieveSetup"),
                             QStringLiteral("%1 holds %2 bytes; a setup file holds %3.")
                                 .arg(fileName)
                                 .arg(bytes.size())
                                 .arg(SetupRecord::kFileSize));

    m_fileName = fileName;
    m_record = *words;
    CMsgManager* m = manager();
    if (!m) return;
    for (const auto& block : SetupRecord::kBlocks) {
        PacketPtr p = makePacket(block, kWriteMultipleRegisters);
        for (int k = 0; k < block.count; ++k) p->setData(k, m_record[size_t(block.firstWord + k)]);
        m->AddMsgPacket(p);
    }
}

void C_M852_SetupSave::StopSave(const QString& reason) {
    if (m_saving) fail(reason);
}

void C_M852_SetupSave::m_MsgManager_MessageReady(qint32 WinID) {
    if (WinID != kWinID || !m_saving) return;
    CMsgManager* m = manager();
    if (!m) return;
    const CMsgPacketNode& reply = m->GetWaitingData();
    // The echoes of a restore's writes come here too.
    if (reply.MsgType() != kReadHoldingRegisters) return;
    const int index = SetupRecord::blockIndexOf(reply.StartingReg());
    if (index < 0) return;
    const SetupRecord::Block& block = SetupRecord::kBlocks[size_t(index)];

    // Copied into a scratch block first: a reply with fewer values than the block leaves the record
    // and the mask as they were.
    std::array<qint16, 127> values{};
    try {
        for (int k = 0; k < block.count; ++k) values[size_t(k)] = reply.Data(k);
    } catch (...) {
        return;
    }
    for (int k = 0; k < block.count; ++k) m_record[size_t(block.firstWord + k)] = values[size_t(k)];

    const bool isNew = !(m_receivedMask & block.bit);
    m_receivedMask |= block.bit;
    if (isNew) emit SaveProgress(BlocksReceived(), SetupRecord::kBlockCount);
    if (m_receivedMask == SetupRecord::kCompleteMask) complete();
}

void C_M852_SetupSave::complete() {
    m_saving = false;
    m_round = 0;
    if (!m_writeFile) {
        emit SetupRead();
        return;
    }
    // Written beside the target and renamed over it on commit: a failure at any point leaves the old
    // file as it was, and the new file is exactly the 614 bytes of the record.
    QSaveFile file(m_fileName);
    const QByteArray bytes = SetupRecord::toBytes(m_record);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        emit SaveFailed(QStringLiteral("%1: %2").arg(m_fileName, file.errorString()));
        return;
    }
    emit DataSaved();
}

void C_M852_SetupSave::fail(const QString& reason) {
    m_saving = false;
    m_round = 0;
    emit SaveFailed(reason);
}

void C_M852_SetupSave::OnScanTick() {
    if (!m_saving) return;
    for (const PacketPtr& p : m_reads)
        if (p->IsQueued()) return;  // this round's reads are not all out yet
    if (!m_roundSent) {
        // The last read went out at this tick; its reply is collected at the next one.
        m_roundSent = true;
        return;
    }
    // Every read of the round has had its reply window.
    if (m_round >= m_rounds) {
        fail(QStringLiteral("No reply for register blocks %1 after %2 tries.")
                 .arg(MissingBlocks())
                 .arg(m_rounds));
        return;
    }
    ++m_round;
    m_roundSent = false;
    queueReads(true);
}
