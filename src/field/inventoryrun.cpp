#include "field/inventoryrun.h"

#include "field/inventoryround.h"
#include "field/modulechannel.h"
#include "field/tagmemory.h"

#include <QElapsedTimer>

namespace field
{

InventoryRun::InventoryRun(ModuleChannel &channel, Options options) : channel_(channel), options_(std::move(options))
{
}

void InventoryRun::readNewTids(const std::vector<TagRead> &reads, ReadBatch &batch, const std::atomic<bool> &stop)
{
    for (const TagRead &read : reads) {
        int &attempts = tidAttempts_[read.epc];
        if (attempts >= kTidAttempts || stop.load())
            continue;
        ++attempts;
        // A shared EPC selects the first of its tags: its TID would be put on the others too.
        if (read.sharedEpc) {
            attempts = kTidAttempts;
            continue;
        }
        TagMemory memory(channel_, TagAddress::epc(read.epc), options_.password, &stop);
        const MemoryResult tid = memory.readTid();
        if (!tid.ok())
            continue; // the tag left, or did not answer: the next round that shows it tries again
        attempts = kTidAttempts;
        batch.tids.push_back(TidRead{read.epc, tid.data});
    }
}

InventoryRun::Summary InventoryRun::run(const std::atomic<bool> &stop,
                                        const std::function<void(ReadBatch &&)> &onBatch)
{
    Summary summary;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceBatch;
    sinceBatch.start();
    ReadBatch batch;
    int silent = 0;
    const auto handOn = [&] {
        if (batch.rounds == 0 && batch.reads.empty() && batch.tids.empty())
            return;
        onBatch(std::move(batch));
        batch = ReadBatch();
        sinceBatch.restart();
    };
    for (;;) {
        if (stop.load()) {
            summary.end = End::Stopped;
            break;
        }
        if ((options_.rounds && summary.rounds >= *options_.rounds) ||
            (options_.durationMs && clock.elapsed() >= *options_.durationMs)) {
            summary.end = End::Limit;
            break;
        }
        Round round = inventoryRound(channel_);
        if (round.status == Round::Status::ReaderGone || round.status == Round::Status::Unsupported) {
            summary.end = round.status == Round::Status::ReaderGone ? End::ReaderGone : End::Unsupported;
            summary.why = round.why;
            break;
        }
        ++summary.rounds;
        ++batch.rounds;
        if (round.status == Round::Status::NoAnswer) {
            if (++silent >= kSilentRoundsToEnd) {
                summary.end = End::Silent;
                summary.why = round.why;
                break;
            }
        } else {
            silent = 0;
        }
        summary.reads += qint64(round.reads.size());
        if (options_.readTids)
            readNewTids(round.reads, batch, stop);
        batch.reads.insert(batch.reads.end(), std::make_move_iterator(round.reads.begin()),
                           std::make_move_iterator(round.reads.end()));
        if (sinceBatch.elapsed() >= options_.batchMs)
            handOn();
    }
    handOn();
    summary.elapsedMs = clock.elapsed();
    return summary;
}

} // namespace field
