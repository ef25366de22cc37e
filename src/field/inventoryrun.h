#pragma once

#include "field/tagread.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

namespace field
{

class ModuleChannel;

// A continuous inventory: rounds one after another, as fast as the reader answers, until a
// limit, the stop flag or the reader ends it. It runs on whichever thread the exchange
// function belongs to (a job's worker thread, or the command line's) and hands its reads on
// in batches.
class InventoryRun
{
public:
    // Rounds in a row without an answer after which the reader counts as silent.
    static constexpr int kSilentRoundsToEnd = 5;
    // Attempts at an EPC's TID before the run gives it up.
    static constexpr int kTidAttempts = 3;

    struct Options {
        std::optional<int> rounds;       // at most this many rounds
        std::optional<qint64> durationMs; // at most this long (a monotonic clock)
        bool readTids = false;           // the TID of each EPC new to the run, read once
        QByteArray password = QByteArray(4, '\0'); // for the TID reads
        int batchMs = 0;                 // hand reads on at most this often (0: after every round)
    };

    enum class End {
        Limit,       // the rounds or the time given ran out
        Stopped,     // the stop flag
        ReaderGone,  // the reader cannot be reached
        Silent,      // kSilentRoundsToEnd rounds in a row without an answer
        Unsupported, // the reader or module does not know the inventory
    };
    struct Summary {
        End end = End::Limit;
        int rounds = 0;
        qint64 reads = 0;
        qint64 elapsedMs = 0;
        QString why; // ReaderGone, Silent, Unsupported: in words
    };

    InventoryRun(ModuleChannel &channel, Options options);

    // Runs the rounds; onBatch gets what each batch holds (reads, TIDs, rounds), the last one
    // before run() returns. stop is tested between rounds and between TID reads.
    Summary run(const std::atomic<bool> &stop, const std::function<void(ReadBatch &&)> &onBatch);

private:
    // Reads the TIDs of the EPCs this round showed for the first time.
    void readNewTids(const std::vector<TagRead> &reads, ReadBatch &batch, const std::atomic<bool> &stop);

    ModuleChannel &channel_;
    Options options_;
    QHash<QByteArray, int> tidAttempts_; // by EPC: attempts made; kTidAttempts + 1 once read
};

} // namespace field
