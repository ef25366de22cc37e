#pragma once

#include "link/usbtransport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// A USB transport for tests: records every frame written and answers from a script.
class FakeTransport : public SyncUsbTransport
{
public:
    // Queues a reply given as hex text ("AA 00 01 00 01 BB").
    void reply(const QString &hexText);
    // Answers every frame through a function (frame -> reply bytes; empty = silence).
    std::function<QByteArray(const QByteArray &)> responder;
    // When false, every write reports 0 bytes, as with no reader attached.
    bool connected = true;

    int write(const QByteArray &frame) override;
    QByteArray read(int timeoutMs) override;
    QString description() const override { return QStringLiteral("fake reader"); }

    // Frames written, as upper-case hex pairs separated by blanks ("AA 00 03 85 01 78 FF BB").
    QStringList sentHex() const;
    QString lastSentHex() const;

    QList<QByteArray> sent;
    QList<QByteArray> queued;
    int lastReadTimeout = -1;

private:
    QByteArray pending_;
    bool hasPending_ = false;
};
