#include "protocol/reply.h"

namespace protocol
{

Status ReaderReply::status(int k) const
{
    if (frame_.isEmpty())
        return Status::NoReply;
    const auto s = byte(k);
    if (s == uint8_t(0x00))
        return Status::Success;
    if (s == uint8_t(0x01))
        return Status::Refused;
    return Status::Damaged;
}

std::optional<uint8_t> ReaderReply::byte(int k) const
{
    if (k < 0 || k >= frame_.size())
        return std::nullopt;
    return uint8_t(frame_[k]);
}

QByteArray ReaderReply::span(int first, int last) const
{
    if (first < 0 || last < first || first >= size())
        return {};
    return frame_.mid(first, qsizetype(last) - first + 1);
}

Result<Ack> ack(const QByteArray &reply)
{
    return resultOf<Ack>(ReaderReply(reply));
}

} // namespace protocol
