#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Whether the reader can be reached, as the transport last found.
enum class ReaderPresence {
    Unknown,     // the transport cannot tell (the simulator, the tests' fakes) or has not looked
    Present,     // the reader is open
    Absent,      // no reader is plugged in, or it went away
    Unreachable, // a reader is there but cannot be opened
};

// What one exchange with the USB reader gave.
struct UsbReply {
    int written = 0;   // bytes of the frame written; fewer than the frame: no reader, or the write failed
    QByteArray frame;  // the reply as read (the link cuts it to its length); empty: no answer in time
    bool gone = false; // the reader went away during the exchange
    QString notice;    // why the reader cannot be reached: set once per new reason, else empty
    ReaderPresence presence = ReaderPresence::Unknown;
    QString why; // Absent or Unreachable: why, in plain words, on every reply (notice says it once)
};

// The reader's USB side: write one frame, collect its reply. Implementations: the hidapi
// device on its own I/O thread, the simulator, test fakes.
class UsbTransport
{
public:
    static constexpr int kReplySize = 245; // the reader's reply area

    using Done = std::function<void(const UsbReply &)>;

    virtual ~UsbTransport() = default;

    // Writes frame and collects its reply within timeoutMs. done runs once on the calling
    // thread: before start returns (a transport that answers at once) or later, from the
    // event loop. A start made while an earlier exchange is unfinished supersedes it: the
    // earlier done then never runs.
    virtual void start(const QByteArray &frame, int timeoutMs, Done done) = 0;

    // A short human-readable description of the reader behind this transport.
    virtual QString description() const = 0;

    // Looks whether a reader is there without sending anything: done gets a reply with
    // nothing written and the presence set, as start's done runs. A probe and an exchange
    // never supersede each other. This one cannot tell: Unknown, at once.
    virtual void probe(Done done) { done(UsbReply{}); }
};

// A transport that answers in the same call: the simulator and the fakes of the tests.
class SyncUsbTransport : public UsbTransport
{
public:
    // Writes a whole frame; returns the number of bytes written (0 when there is no reader).
    virtual int write(const QByteArray &frame) = 0;
    // The reply to the frame written last, at most kReplySize bytes; empty: no answer.
    virtual QByteArray read(int timeoutMs) = 0;

    void start(const QByteArray &frame, int timeoutMs, Done done) final;
};
