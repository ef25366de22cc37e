#include "support/faketransport.h"

#include "base/hex.h"

void FakeTransport::reply(const QString &hexText)
{
    queued.append(hex::toBytes(hexText));
}

int FakeTransport::write(const QByteArray &frame)
{
    if (!connected)
        return 0;
    sent.append(frame);
    if (responder)
        pending_ = responder(frame);
    else
        pending_ = queued.isEmpty() ? QByteArray() : queued.takeFirst();
    hasPending_ = true;
    return int(frame.size());
}

QByteArray FakeTransport::read(int timeoutMs)
{
    lastReadTimeout = timeoutMs;
    if (!hasPending_)
        return {};
    hasPending_ = false;
    return pending_;
}

static QString spaced(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

QStringList FakeTransport::sentHex() const
{
    QStringList out;
    for (const QByteArray &f : sent)
        out << spaced(f);
    return out;
}

QString FakeTransport::lastSentHex() const
{
    return sent.isEmpty() ? QString() : spaced(sent.last());
}
