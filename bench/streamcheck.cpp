#include "streamcheck.h"

StreamCheck::StreamCheck(QByteArray sent) : sent_(std::move(sent)) {}

QByteArray StreamCheck::pattern(qsizetype size, quint32 seed)
{
    QByteArray out(size, Qt::Uninitialized);
    quint32 x = seed ? seed : 1;
    for (qsizetype i = 0; i < size; ++i) {
        // xorshift32: every byte value, no short period.
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x >> 24);
    }
    return out;
}

void StreamCheck::add(const char *data, qsizetype size)
{
    ++blocks_;
    largest_ = qMax(largest_, size);
    for (qsizetype i = 0; i < size && firstMismatch_ < 0; ++i) {
        const qsizetype at = received_ + i;
        if (at >= sent_.size() || data[i] != sent_[at])
            firstMismatch_ = at;
    }
    received_ += size;
}

qsizetype StreamCheck::lost() const
{
    return qMax<qsizetype>(0, sent_.size() - received_);
}
