#include "protocol/frames.h"

namespace frames
{

uint8_t xorOf(const QByteArray &data, qsizetype first, qsizetype last)
{
    uint8_t x = 0;
    for (qsizetype i = qMax<qsizetype>(0, first); i <= last && i < data.size(); ++i)
        x ^= uint8_t(data[i]);
    return x;
}

static QByteArray readerFrame(uint8_t address, const QByteArray &prefix, const QByteArray &body)
{
    QByteArray f;
    f.reserve(body.size() + prefix.size() + kReaderOverhead);
    f.append(char(kHeader));
    f.append(char(address));
    f.append(char(uint8_t(prefix.size() + body.size())));
    f.append(prefix);
    f.append(body);
    f.append(char(xorOf(f, 1, f.size() - 1)));
    f.append(char(kTrailer));
    return f;
}

QByteArray hf(uint8_t address, const QByteArray &body)
{
    return readerFrame(address, {}, body);
}

QByteArray uhf(uint8_t address, const QByteArray &moduleFrame)
{
    return readerFrame(address, QByteArray(1, char(kPassThrough)), moduleFrame);
}

QByteArray module(uint8_t command, const QByteArray &params)
{
    QByteArray f;
    f.reserve(params.size() + kModuleOverhead);
    f.append(char(kModuleHeader));
    f.append('\0'); // type: a command
    f.append(char(command));
    f.append(char((params.size() >> 8) & 0xFF));
    f.append(char(params.size() & 0xFF));
    f.append(params);
    uint8_t sum = 0;
    for (qsizetype i = 1; i < f.size(); ++i)
        sum = uint8_t(sum + uint8_t(f[i]));
    f.append(char(sum));
    f.append(char(kModuleEnd));
    return f;
}

ReaderFrameCheck checkReaderFrame(const QByteArray &frame)
{
    ReaderFrameCheck c;
    const qsizetype n = frame.size();
    c.header = n > 0 && uint8_t(frame[0]) == kHeader;
    c.length = n >= kReaderOverhead && qsizetype(uint8_t(frame[2])) + kReaderOverhead == n;
    c.check = n >= kReaderOverhead && xorOf(frame, 1, n - 3) == uint8_t(frame[n - 2]);
    c.trailer = n > 0 && uint8_t(frame[n - 1]) == kTrailer;
    return c;
}

ModuleFrameCheck checkModuleFrame(const QByteArray &frame)
{
    ModuleFrameCheck c;
    const qsizetype n = frame.size();
    c.header = n > 0 && uint8_t(frame[0]) == kModuleHeader;
    if (n >= kModuleOverhead) {
        const qsizetype pl = (qsizetype(uint8_t(frame[3])) << 8) | uint8_t(frame[4]);
        c.length = pl + kModuleOverhead == n;
        uint8_t sum = 0;
        for (qsizetype i = 1; i < n - 2; ++i)
            sum = uint8_t(sum + uint8_t(frame[i]));
        c.checksum = sum == uint8_t(frame[n - 2]);
    }
    c.end = n > 0 && uint8_t(frame[n - 1]) == kModuleEnd;
    return c;
}

QByteArray cutReply(const QByteArray &reply)
{
    constexpr qsizetype kReplyArea = 245;
    if (reply.isEmpty())
        return reply;
    const qsizetype len = reply.size() > 2 ? uint8_t(reply[2]) : 0;
    return reply.left(qMin(len + kReaderOverhead, qMin(reply.size(), kReplyArea)));
}

} // namespace frames
