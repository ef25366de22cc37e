#include "epc/chunksink.h"

namespace epc
{

ChunkSink::ChunkSink(Out out, qsizetype chunkBytes) : out_(std::move(out)), chunkBytes_(chunkBytes)
{
    buffer_.reserve(chunkBytes_ + 1024);
}

void ChunkSink::write(QByteArrayView text)
{
    buffer_.append(text);
    if (buffer_.size() >= chunkBytes_)
        flush();
}

void ChunkSink::flush()
{
    if (buffer_.isEmpty())
        return;
    out_(buffer_);
    buffer_.resize(0); // keeps the capacity for the next piece
}

} // namespace epc
