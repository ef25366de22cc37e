#pragma once

#include "link/readersettings.h"
#include "link/usbtransport.h"
#include "protocol/exchange.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The USB command path: frames a request as its route says (with the settings' device
// address), hands it to the transport, waits for its reply by its own timer and keeps the
// last reply. Pages wait for an exchange in the event loop (exchange()); a job on another
// thread starts one and hears how it went (start(), through a LinkPort). It never looks at a
// window: its lines go out as notice(), every exchange as exchanged() for the frame trace.
// It lives on one thread (the window's), and every call is made there.
class ReaderLink : public QObject
{
    Q_OBJECT
public:
    explicit ReaderLink(UsbTransport &transport, QObject *parent = nullptr);
    ~ReaderLink() override;

    // Another reader from the next command on; what was known about the old one's presence
    // is forgotten.
    void setTransport(UsbTransport &transport);
    UsbTransport &transport() const { return *transport_; }

    // Whether the reader can be reached, as the last exchange or probe found, and why not.
    ReaderPresence presence() const { return presence_; }
    const QString &presenceWhy() const { return presenceWhy_; }
    // How many exchanges could not reach the reader (none there, it would not open, it went
    // away), so that a loop can tell whether one of its own did.
    quint64 readerFailures() const { return failures_; }
    // Asks the transport whether a reader is there without sending anything; the answer
    // comes as presenceChanged() when it changes what is known.
    void probe();

    const ReaderSettings &settings() const { return settings_; }
    void setSettings(const ReaderSettings &settings) { settings_ = settings; }
    void setAddress(uint8_t address) { settings_.address = address; }
    void setEcho(bool on) { settings_.echo = on; }
    void setBigBuzzer(bool on) { settings_.bigBuzzer = on; }
    void setHfPauseMs(int ms) { settings_.hfPauseMs = ms; }

    // Sends request and waits up to its waitMs for the reply; by its wait rule the rest of the
    // wait then passes unless a reply turns up. Returns how it went: the reply to this
    // command itself, cut to its length (empty when none came in time, the frame could not be
    // written or was too long, or another command started inside the wait: that one's reply is
    // never lent to this one), the outcome, the latency and the request's table row.
    protocol::Exchange exchange(const protocol::Request &request);

    // The same exchange without waiting for it: done runs once, with how it went, when
    // exchange() would have returned; before start returns when it ends at once (a frame too
    // long, a transport that answers in the call). While an exchange() is under way the start
    // is held until it has returned: a job's command never supersedes one the user sent (the
    // user's supersedes the job's, which ends as Superseded). A start still held, or an
    // exchange unfinished, when the link is destroyed never calls done.
    using ExchangeDone = std::function<void(const protocol::Exchange &)>;
    void start(const protocol::Request &request, ExchangeDone done);

    // The raw terminal's text: its whole hex digit pairs go out unchanged (everything else,
    // and a last unpaired digit, is dropped), with the wait of a typed frame; the reply that
    // comes within it is taken, nobody waits longer.
    void SendHex(const QString &text);

    // The reply of the exchange that ended last (empty after one that got none).
    const QByteArray &lastReply() const { return lastReply_; }
    // The same as upper-case hex digit pairs, as the reply echo shows it.
    QString ReplyHex() const;
    void clearReply() { lastReply_.clear(); }

    // Waits until a reply is held or ms have passed / waits ms; the event loop runs meanwhile.
    void Delay(int ms);
    void Delayy(int ms);

    // Hands an exchange made on another channel (the serial line) to the trace observers.
    void record(const protocol::Exchange &exchange) { emit exchanged(exchange); }

signals:
    // A line for the log: no reader, a frame too long, why the reader cannot be opened, the
    // reply echo.
    void notice(const QString &line);
    // Every exchange as it ended, for the frame trace.
    void exchanged(const protocol::Exchange &exchange);
    // An exchange could not reach the reader; said before that exchange's notices.
    void readerFailed(const QString &why);
    void presenceChanged(ReaderPresence presence, const QString &why);

private:
    struct Active;
    struct Held {
        protocol::Request request;
        ExchangeDone done;
    };
    QByteArray frameOf(const protocol::Request &request) const;
    // Sends request; returns the exchange's id, 0 when it ended at once without being sent.
    quint64 begin(const protocol::Request &request, ExchangeDone done);
    Active *find(quint64 id) const;
    void arrived(quint64 id, const UsbReply &reply, qsizetype frameSize);
    // The exchange's own part is over (its reply came, a newer command superseded it, its time
    // ran out): its latency is known; by its wait rule it may still wait for a reply held.
    void ownPartEnded(Active &active);
    void finish(quint64 id);
    void timedOut(quint64 id);
    void startHeld();
    void takePresence(ReaderPresence presence, const QString &why);

    UsbTransport *transport_;
    ReaderSettings settings_;
    QByteArray lastReply_;
    // Exchanges under way, oldest first: the one whose reply is awaited and those waiting out
    // the rest of their time by the whole-wait rule.
    std::vector<std::unique_ptr<Active>> active_;
    quint64 awaited_ = 0; // the exchange whose reply the transport brings next; 0: none
    int nested_ = 0;      // exchange() calls under way
    std::deque<Held> held_;
    bool heldPosted_ = false;
    quint64 nextId_ = 0;
    ReaderPresence presence_ = ReaderPresence::Unknown;
    QString presenceWhy_;
    quint64 failures_ = 0;
    quint64 replies_ = 0; // replies taken, so that a probe older than a reply is not believed
    quint64 transportGeneration_ = 0;
};

// The error line of a failed write.
inline const QString kWriteFailed = QStringLiteral("data error,please check Device Connection...");
