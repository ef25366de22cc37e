#pragma once

#include <QByteArray>
#include <QString>

// The two operations of the reader's USB library: write one frame, read one reply.
// Implementations: the hidapi device layer, the simulator, test fakes.
class UsbTransport
{
public:
    static constexpr int kReplySize = 245; // the reader's reply area

    virtual ~UsbTransport() = default;

    // Writes a whole frame; returns the number of bytes written (0 when there is no reader).
    virtual int write(const QByteArray &frame) = 0;

    // Reads one reply frame of at most kReplySize bytes, waiting at most timeoutMs for it.
    // An empty result means the reader did not answer in time.
    virtual QByteArray read(int timeoutMs) = 0;

    // A short human-readable description of the reader behind this transport.
    virtual QString description() const = 0;
};
