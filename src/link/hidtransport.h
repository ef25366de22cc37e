#pragma once

#include "link/usbtransport.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// One open HID device, as the report-level calls see it.
class HidDevice
{
public:
    virtual ~HidDevice() = default;
    // Sends one output report (report ID first); returns the bytes written or -1.
    virtual int writeReport(const QByteArray &report) = 0;
    // Reads one input report into at most maxSize bytes; 0 on time-out, -1 on error (gone).
    virtual int readReport(uint8_t *buffer, int maxSize, int timeoutMs) = 0;
};

// Opens the reader's HID device, or says why it cannot.
class HidOpener
{
public:
    virtual ~HidOpener() = default;
    // Null with why empty: no reader is plugged in; with why: one is there but will not open.
    virtual std::unique_ptr<HidDevice> open(QString &why) = 0;
    // What "no reader is plugged in" means for the readers this opener looks for.
    virtual QString absent() const { return QStringLiteral("No USB reader is plugged in."); }
};

// The reader's report format: a frame goes out as 64-byte output reports behind report ID 0,
// zero-padded, continued in further reports; a reply starts at the first byte of the first
// input report and continues in later reports until LEN + 5 bytes are in.
//
// Every call into the device runs on one I/O thread of its own, which blocks in the read
// while a reply is awaited and hands the whole reply to the window thread as a queued call.
// The device is opened on the first exchange and again after it went away, so a reader
// plugged in later is found by the next command.
class HidTransport : public QObject, public UsbTransport
{
    Q_OBJECT
public:
    static constexpr int kReportSize = 64;
    // The longest one blocking read lasts while a reply is awaited: a command started in
    // that wait is then written without waiting for the earlier one's time to run out.
    static constexpr int kReadSliceMs = 100;

    explicit HidTransport(std::unique_ptr<HidOpener> opener, QObject *parent = nullptr);
    ~HidTransport() override;

    void start(const QByteArray &frame, int timeoutMs, Done done) override;
    QString description() const override;
    // Opens the reader now if it is not open, on the I/O thread.
    void probe(Done done) override;

protected:
    bool event(QEvent *event) override;

private:
    struct Request {
        quint64 id;
        QByteArray frame;
        int timeoutMs;
    };
    // What the I/O thread hands back: an exchange's reply (its request's id) or a probe's.
    struct Delivery {
        bool probe = false;
        quint64 id = 0;
        UsbReply reply;
    };

    // The I/O thread.
    void run();
    UsbReply perform(const Request &request);
    // Opens the device if it is not open and sets out's presence; with announce, a reason
    // not said before goes into out's notice.
    bool ensureOpen(UsbReply &out, bool announce);
    void drain();
    bool superseded(quint64 id);
    // Queues d for the window thread and wakes it with a posted event.
    void hand(Delivery d);

    // The window thread.
    void deliver(quint64 id, const UsbReply &reply);
    void deliverProbe(const UsbReply &reply);

    // Used on the I/O thread only.
    std::unique_ptr<HidOpener> opener_;
    std::unique_ptr<HidDevice> device_;
    QString lastWhy_;

    std::mutex mutex_; // guards pending_, probeWanted_, stop_ and delivered_
    std::condition_variable wake_;
    std::optional<Request> pending_;
    bool probeWanted_ = false;
    bool stop_ = false;
    std::deque<Delivery> delivered_;
    // Publishes each posted event's own memory: the framework's event queue hands it over
    // under a lock the race checker cannot see.
    std::atomic<unsigned> posted_{0};
    std::atomic<quint64> newest_{0}; // the newest request: a read for an older one gives up

    // Used on the window thread only.
    quint64 nextId_ = 0;
    quint64 awaited_ = 0;
    Done done_;
    Done probeDone_;

    std::thread worker_;
};

// The hidapi (hidraw) opener: the device vid:pid when given, else the first HID device
// whose usage page is vendor-defined (0xFF00 to 0xFFFF).
std::unique_ptr<HidOpener> makeHidapiOpener(uint16_t vid = 0, uint16_t pid = 0);
