#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace diag
{

struct UsbDevice {
    QString sysPath; // its folder in sysfs, resolved, for telling devices apart
    uint16_t vid = 0;
    uint16_t pid = 0;
    QString manufacturer;
    QString product;

    // "1a86:7523 USB Serial (QinHeng Electronics)"
    QString label() const;
};

struct HidrawDevice {
    QString node; // "/dev/hidraw3"
    uint bus = 0; // 3 for USB
    uint16_t vid = 0;
    uint16_t pid = 0;
    QString name;                // the HID device's name
    std::vector<uint16_t> pages; // usage page of each top-level collection
    bool firstIsVendor = false;  // what the udev rule goes by
    bool anyVendor = false;      // what the tool goes by when it looks for a reader

    // "1234:5678 "Name""
    QString label() const;
};

struct SerialPort {
    QString name;                 // "ttyUSB0"
    QString node;                 // "/dev/ttyUSB0"
    bool kernelKnows = false;     // listed in /sys/class/tty: a device the kernel made
    std::optional<UsbDevice> usb; // the USB device it belongs to, when found

    // "ttyUSB0 (1a86:7523 USB Serial)"
    QString label() const;
};

// What sysfs and /dev below a root folder say about USB, HID and serial devices.
class DeviceTree
{
public:
    explicit DeviceTree(const QString &root);

    // False when there is no USB bus at all (no /sys/bus/usb/devices).
    bool hasUsb() const;
    // Plugged-in USB devices, hubs left out.
    QList<UsbDevice> usbDevices() const;
    QList<HidrawDevice> hidrawDevices() const;
    // ttyUSB* and ttyACM*: the names of USB-serial adapters, from sysfs and from /dev.
    QList<SerialPort> serialPorts() const;

private:
    std::optional<UsbDevice> usbDeviceAt(const QString &canonicalPath) const;
    std::optional<UsbDevice> usbAncestor(const QString &path) const;

    QString root_;
};

} // namespace diag
