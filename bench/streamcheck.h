#pragma once

#include <QByteArray>

// Compares what a receiver got, block by block, with the stream that was sent: every byte
// once, in its place, and no block longer than the limit.
class StreamCheck
{
public:
    explicit StreamCheck(QByteArray sent);

    // A stream that uses every byte value and never repeats a short run, so that a lost,
    // doubled or swapped byte shows at its position.
    static QByteArray pattern(qsizetype size, quint32 seed = 1);

    void add(const char *data, qsizetype size);

    qsizetype received() const { return received_; }
    // How many bytes fewer than were sent arrived (a wrong or doubled byte shows in orderKept).
    qsizetype lost() const;
    // True while every byte received so far equals the sent byte at its position.
    bool orderKept() const { return firstMismatch_ < 0 && received_ <= sent_.size(); }
    qsizetype firstMismatch() const { return firstMismatch_; }
    bool complete() const { return orderKept() && received_ == sent_.size(); }
    int blocks() const { return blocks_; }
    qsizetype largestBlock() const { return largest_; }

private:
    QByteArray sent_;
    qsizetype received_ = 0;
    qsizetype firstMismatch_ = -1;
    qsizetype largest_ = 0;
    int blocks_ = 0;
};
