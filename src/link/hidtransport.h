#pragma once

#include "link/usbtransport.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// One open HID device, as the report-level calls see it.
class HidDevice
{
public:
    virtual ~HidDevice() = default;
    // Sends one output report (report ID first); returns the bytes written or -1.
    virtual int writeReport(const QByteArray &report) = 0;
    // Reads one input report into at most maxSize bytes; 0 on time-out, -1 on error.
    virtual int readReport(uint8_t *buffer, int maxSize, int timeoutMs) = 0;
};

// Opens the reader's HID device, or says why it cannot.
class HidOpener
{
public:
    virtual ~HidOpener() = default;
    virtual std::unique_ptr<HidDevice> open(QString &why) = 0;
};

// The reader's report format: a frame goes out as 64-byte output reports behind report ID 0,
// zero-padded, continued in further reports; a reply starts at the first byte of the first
// input report and continues in later reports until LEN + 5 bytes are in.
class HidTransport : public UsbTransport
{
public:
    static constexpr int kReportSize = 64;

    // notice: told once, in plain words, why the reader cannot be opened.
    HidTransport(std::unique_ptr<HidOpener> opener, std::function<void(const QString &)> notice);
    ~HidTransport() override;

    int write(const QByteArray &frame) override;
    QByteArray read(int timeoutMs) override;
    QString description() const override;

private:
    bool ensureOpen();
    void drain();

    std::unique_ptr<HidOpener> opener_;
    std::function<void(const QString &)> notice_;
    std::unique_ptr<HidDevice> device_;
    QString lastWhy_;
    quint64 exchanges_ = 0; // writes so far: a read ends when another command starts in its wait
};

// The hidapi (hidraw) opener: the device vid:pid when given, else the first HID device
// whose usage page is vendor-defined (0xFF00 to 0xFFFF).
std::unique_ptr<HidOpener> makeHidapiOpener(uint16_t vid = 0, uint16_t pid = 0);
