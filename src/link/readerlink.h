#pragma once

#include "link/replycheck.h"
#include "link/usbtransport.h"

#include <QString>
#include <functional>

// The USB command path: frames a command, exchanges it with the reader and keeps the reply.
class ReaderLink
{
public:
    struct Hooks {
        std::function<QString()> address; // text of setadd
        std::function<bool()> echo;       // RadioButton4: log every reply
        LogSink log;
    };

    // How long an exchange waits for the reader's reply when the handler names no wait.
    static constexpr int kDefaultReplyWaitMs = 300;

    ReaderLink(UsbTransport &transport, Hooks hooks);

    void setTransport(UsbTransport &transport) { transport_ = &transport; }
    UsbTransport &transport() const { return *transport_; }

    // Framed HF command / UHF pass-through / bytes unchanged. Each replaces ReplyHex with the
    // reader's reply (empty when the write failed or no reply came within replyWaitMs).
    void Send(const QString &body, int replyWaitMs = kDefaultReplyWaitMs);
    void SendUHF(const QString &body, int replyWaitMs = kDefaultReplyWaitMs);
    void SendHex(const QString &text, int replyWaitMs = kDefaultReplyWaitMs);

    const QString &ReplyHex() const { return replyHex_; }
    void clearReply();

    // Waits until ReplyHex holds text or ms have passed / waits ms; both keep the window live.
    void Delay(int ms);
    void Delayy(int ms);

    // Send + Delay, returning the reply to this command itself, so that a command run
    // inside the wait cannot change what the caller reports. The time the reader took to
    // answer counts against the wait, so the whole exchange never takes longer than waitMs.
    QString exchange(const QString &body, int waitMs);
    QString exchangeUHF(const QString &body, int waitMs);
    QString exchangeHex(const QString &text, int waitMs);

private:
    void setReply(const QString &reply);

    UsbTransport *transport_;
    Hooks hooks_;
    QString exchangeWith(const std::function<void()> &send, int waitMs);

    QString replyHex_;
};

// The error line of a failed write.
inline const QString kWriteFailed = QStringLiteral("data error,please check Device Connection...");
