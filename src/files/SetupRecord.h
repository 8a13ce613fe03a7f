#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// The setup record: every settings register of an M852 controller, 307 words taken in 12 fixed
// blocks, and the setup data file (*.sdf) that holds it as raw bytes.
//
// File layout: the 307 words in block order, each a two's-complement 16-bit value stored low byte
// first, 614 bytes, no header, version or checksum. Word k of a block is register start + k.
//
//   block  bit   start  count  words    file bytes   what
//     1    1024   910    84     0-83     0-167       exerciser calendar
//     2       1    23     9    84-92   168-185       source settings 23-29, system summary 30-31
//     3       2    32    12    93-104  186-209       time delays
//     4       4    45    20   105-124  210-249       voltage 45-54 and frequency 55-64 setpoints
//     5       8    65    35   125-159  250-319       programmable inputs and outputs
//     6      16   740     2   160-161  320-323       system summary settings
//     7      32   750    36   162-197  324-395       load control time delays
//     8      64   800    45   198-242  396-485       common alarms
//     9     128   900     2   243-244  486-489       exerciser
//    10     256  1000     4   245-248  490-497       network port
//    11     512  1110    55   249-303  498-607       system information texts
//    12    2048  1252     3   304-306  608-613       daylight-saving settings of the clock
//
// The bits are those of the received mask of a save: all twelve set is 4095.
namespace SetupRecord {

struct Block {
    qint16 start;   // 1-based register number, as StartingReg
    qint16 count;   // registers
    qint32 bit;     // bit in the received mask
    int firstWord;  // index of the block's first register in the record
};

inline constexpr int kBlockCount = 12;
inline constexpr int kWords = 307;
inline constexpr int kFileSize = 2 * kWords;  // 614
inline constexpr qint32 kCompleteMask = 4095;

inline constexpr std::array<Block, kBlockCount> kBlocks{{
    {910, 84, 1024, 0},
    {23, 9, 1, 84},
    {32, 12, 2, 93},
    {45, 20, 4, 105},
    {65, 35, 8, 125},
    {740, 2, 16, 160},
    {750, 36, 32, 162},
    {800, 45, 64, 198},
    {900, 2, 128, 243},
    {1000, 4, 256, 245},
    {1110, 55, 512, 249},
    {1252, 3, 2048, 304},
}};

using Words = std::array<qint16, kWords>;

// Index into kBlocks of the block starting at `startingReg`, or -1.
[[nodiscard]] int blockIndexOf(int startingReg);
// The register number held by record word `word` (0..306).
[[nodiscard]] int registerOfWord(int word);

// The 614 file bytes of a record, each word low byte first.
[[nodiscard]] QByteArray toBytes(const Words& words);
// The record held by the first 614 bytes of `bytes`; std::nullopt when there are fewer. Bytes beyond
// 614 are ignored: saves that overwrote a longer file in place left such files behind, and their
// first 614 bytes are the setup.
[[nodiscard]] std::optional<Words> fromBytes(const QByteArray& bytes);

// The window type (0-20) whose polled read blocks cover register `reg`: the lowest type code when
// several do, -1 when none.
[[nodiscard]] int windowTypeOfRegister(int reg);
// The name of that window (string 500 + type), or "-" when no window shows the register.
[[nodiscard]] QString windowNameOfRegister(int reg);

// One register whose values differ between two records.
struct Difference {
    int reg;
    qint16 a;
    qint16 b;
};
// The differing registers, by ascending register number.
[[nodiscard]] QList<Difference> compare(const Words& a, const Words& b);

}  // namespace SetupRecord
