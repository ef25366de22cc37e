#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace epc
{

// Gathers many small texts into pieces of about chunkBytes before handing them on, so that a
// long document costs few writes and never sits in memory whole. A piece always ends where a
// write ended, so that a UTF-8 character written whole is never split between two pieces.
class ChunkSink
{
public:
    using Out = std::function<void(QByteArrayView)>;
    explicit ChunkSink(Out out, qsizetype chunkBytes = 64 * 1024);

    void write(QByteArrayView text);
    ChunkSink &operator<<(QByteArrayView text)
    {
        write(text);
        return *this;
    }
    // Hands on what is gathered; the end of a document calls it.
    void flush();

private:
    Out out_;
    qsizetype chunkBytes_;
    QByteArray buffer_;
};

} // namespace epc
