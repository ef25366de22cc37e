#include "link/hidpathopener.h"
#include "link/hidtransport.h"

#include <hidapi.h>

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{

class HidapiDevice : public HidDevice
{
public:
    explicit HidapiDevice(hid_device *d) : d_(d) {}
    ~HidapiDevice() override { hid_close(d_); }
    int writeReport(const QByteArray &report) override
    {
        return hid_write(d_, reinterpret_cast<const unsigned char *>(report.constData()), size_t(report.size()));
    }
    int readReport(uint8_t *buffer, int maxSize, int timeoutMs) override
    {
        return hid_read_timeout(d_, buffer, size_t(maxSize), timeoutMs);
    }

private:
    hid_device *d_;
};

class HidapiOpener : public HidOpener
{
public:
    HidapiOpener(uint16_t vid, uint16_t pid, QByteArray path = {}) : vid_(vid), pid_(pid), path_(std::move(path))
    {
        static const bool ok = hid_init() == 0;
        (void)ok;
    }

    std::unique_ptr<HidDevice> open(QString &why) override
    {
        QByteArray path;
        hid_device_info *list = hid_enumerate(vid_, pid_);
        for (hid_device_info *i = list; i; i = i->next) {
            // A device named by its path must be one that is there now.
            if (!path_.isEmpty() ? path_ == i->path : (vid_ || pid_ || i->usage_page >= 0xFF00)) {
                path = i->path;
                break;
            }
        }
        hid_free_enumeration(list);
        if (path.isEmpty()) {
            why.clear(); // no reader: the write reports 0 bytes and the pages say so
            return nullptr;
        }
        if (hid_device *d = hid_open_path(path.constData()))
            return std::make_unique<HidapiDevice>(d);
        // hidapi does not say why; the device node does.
        const int fd = ::open(path.constData(), O_RDWR);
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        if (fd < 0 && (err == EACCES || err == EPERM))
            why = QStringLiteral("No permission to open the USB reader %1: install the udev rule from the README, "
                                 "then unplug and replug the reader.")
                      .arg(QString::fromLocal8Bit(path));
        else
            why = QStringLiteral("The USB reader %1 cannot be opened.").arg(QString::fromLocal8Bit(path));
        return nullptr;
    }

    QString absent() const override
    {
        if (vid_ || pid_)
            return QStringLiteral("No USB device %1:%2 is plugged in.")
                .arg(vid_, 4, 16, QLatin1Char('0'))
                .arg(pid_, 4, 16, QLatin1Char('0'));
        return QStringLiteral("No USB reader is plugged in: no HID device has a vendor-defined usage page "
                              "(0xFF00 to 0xFFFF).");
    }

private:
    uint16_t vid_, pid_;
    QByteArray path_; // one device by its path; empty: by IDs or usage page
};

} // namespace

std::unique_ptr<HidOpener> makeHidapiOpener(uint16_t vid, uint16_t pid)
{
    return std::make_unique<HidapiOpener>(vid, pid);
}

std::unique_ptr<HidOpener> makeHidapiPathOpener(const QString &path)
{
    return std::make_unique<HidapiOpener>(0, 0, QFile::encodeName(path));
}
