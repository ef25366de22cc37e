#pragma once

#include <QByteArray>
#include <QMetaType>
#include <cstdint>
#include <vector>

namespace field
{

// One tag heard in one inventory round.
struct TagRead {
    qint64 timeMs = 0; // when the round's reply came, by the application clock (ms since the epoch, UTC)
    QByteArray epc;
    QByteArray pc;
    int8_t rssi = 0;        // the module's byte as it reports it, a signed byte taken as dBm
    bool sharedEpc = false; // another tag of the same EPC answered the same round
};

// A TID read for an EPC.
struct TidRead {
    QByteArray epc;
    QByteArray tid;
};

// What an inventory run hands on at once: the rounds since the last batch, their reads, and the
// TIDs read for EPCs new to the run.
struct ReadBatch {
    int rounds = 0;
    std::vector<TagRead> reads;
    std::vector<TidRead> tids;
};

} // namespace field

Q_DECLARE_METATYPE(field::ReadBatch)
