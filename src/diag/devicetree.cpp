#include "diag/devicetree.h"
#include "diag/treefiles.h"
#include "hiddesc/reportdescriptor.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace diag
{

namespace
{

const QString usbDevicesDir = QStringLiteral("/sys/bus/usb/devices");

uint16_t hex16(const QString &text, bool *ok)
{
    const uint value = text.toUInt(ok, 16);
    if (value > 0xFFFF)
        *ok = false;
    return uint16_t(value);
}

bool isSerialName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^tty(USB|ACM)[0-9]+$"));
    return pattern.match(name).hasMatch();
}

} // namespace

QString UsbDevice::label() const
{
    QString text = QStringLiteral("%1:%2").arg(vid, 4, 16, QLatin1Char('0')).arg(pid, 4, 16, QLatin1Char('0'));
    if (!product.isEmpty())
        text += QLatin1Char(' ') + product;
    if (!manufacturer.isEmpty())
        text += QStringLiteral(" (%1)").arg(manufacturer);
    return text;
}

QString HidrawDevice::label() const
{
    QString text = QStringLiteral("%1:%2").arg(vid, 4, 16, QLatin1Char('0')).arg(pid, 4, 16, QLatin1Char('0'));
    if (!name.isEmpty())
        text += QStringLiteral(" \"%1\"").arg(name);
    return text;
}

QString SerialPort::label() const
{
    return usb ? QStringLiteral("%1 (%2)").arg(name, usb->label()) : name;
}

DeviceTree::DeviceTree(const QString &root) : root_(root) {}

bool DeviceTree::hasUsb() const
{
    return treefiles::exists(root_, usbDevicesDir);
}

std::optional<UsbDevice> DeviceTree::usbDeviceAt(const QString &canonicalPath) const
{
    // canonicalPath is already below the root: read it as is.
    bool okV = false, okP = false;
    UsbDevice device;
    device.vid = hex16(treefiles::readLine(QString(), canonicalPath + QStringLiteral("/idVendor")), &okV);
    device.pid = hex16(treefiles::readLine(QString(), canonicalPath + QStringLiteral("/idProduct")), &okP);
    if (!okV || !okP)
        return std::nullopt; // an interface, or a device that went away
    device.sysPath = canonicalPath;
    device.manufacturer = treefiles::readLine(QString(), canonicalPath + QStringLiteral("/manufacturer"));
    device.product = treefiles::readLine(QString(), canonicalPath + QStringLiteral("/product"));
    return device;
}

std::optional<UsbDevice> DeviceTree::usbAncestor(const QString &path) const
{
    // A tty's device is the USB interface (ttyACM) or a port below it (ttyUSB); a few
    // folders up is the USB device with its IDs. Never climb out of the tree's sysfs.
    const QString sysTop = treefiles::canonical(root_, QStringLiteral("/sys"));
    QString dir = treefiles::canonical(root_, path);
    for (int level = 0; level < 6 && !dir.isEmpty() && !sysTop.isEmpty() && dir.startsWith(sysTop + QLatin1Char('/'));
         ++level) {
        if (auto device = usbDeviceAt(dir))
            return device;
        dir = QFileInfo(dir).path();
    }
    return std::nullopt;
}

QList<UsbDevice> DeviceTree::usbDevices() const
{
    QList<UsbDevice> devices;
    for (const QString &name : treefiles::list(root_, usbDevicesDir)) {
        // "1-1.2" are devices, "1-1.2:1.0" their interfaces, "usb1" the root hubs.
        if (name.contains(QLatin1Char(':')) || name.startsWith(QLatin1String("usb")))
            continue;
        const QString path = usbDevicesDir + QLatin1Char('/') + name;
        if (treefiles::readLine(root_, path + QStringLiteral("/bDeviceClass")) == QLatin1String("09"))
            continue; // a hub
        const QString real = treefiles::canonical(root_, path);
        if (real.isEmpty())
            continue;
        if (auto device = usbDeviceAt(real))
            devices.append(*device);
    }
    return devices;
}

QList<HidrawDevice> DeviceTree::hidrawDevices() const
{
    QList<HidrawDevice> devices;
    const QString classDir = QStringLiteral("/sys/class/hidraw");
    for (const QString &name : treefiles::list(root_, classDir)) {
        const QString hid = classDir + QLatin1Char('/') + name + QStringLiteral("/device");
        HidrawDevice device;
        device.node = QStringLiteral("/dev/") + name;
        // uevent: HID_ID=0003:00001234:00005678 and HID_NAME=...
        const QString uevent = QString::fromUtf8(treefiles::read(root_, hid + QStringLiteral("/uevent")));
        for (const QString &line : uevent.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("HID_ID="))) {
                const QStringList ids = line.mid(7).split(QLatin1Char(':'));
                bool okB = false, okV = false, okP = false;
                if (ids.size() == 3) {
                    const uint bus = ids[0].toUInt(&okB, 16), vid = ids[1].toUInt(&okV, 16),
                               pid = ids[2].toUInt(&okP, 16);
                    if (okB && okV && okP && vid <= 0xFFFF && pid <= 0xFFFF) {
                        device.bus = bus;
                        device.vid = uint16_t(vid);
                        device.pid = uint16_t(pid);
                    }
                }
            } else if (line.startsWith(QLatin1String("HID_NAME="))) {
                device.name = line.mid(9).trimmed();
            }
        }
        const QByteArray descriptor =
            treefiles::read(root_, hid + QStringLiteral("/report_descriptor"), qint64(hiddesc::maxDescriptorSize));
        const auto *bytes = reinterpret_cast<const uint8_t *>(descriptor.constData());
        device.pages = hiddesc::topLevelUsagePages(bytes, size_t(descriptor.size())).pages;
        device.firstIsVendor = !device.pages.empty() && hiddesc::isVendorPage(device.pages.front());
        for (uint16_t page : device.pages)
            device.anyVendor = device.anyVendor || hiddesc::isVendorPage(page);
        devices.append(device);
    }
    return devices;
}

QList<SerialPort> DeviceTree::serialPorts() const
{
    QStringList names;
    const QStringList kernelNames = treefiles::list(root_, QStringLiteral("/sys/class/tty"));
    for (const QString &name : kernelNames + treefiles::list(root_, QStringLiteral("/dev")))
        if (isSerialName(name) && !names.contains(name))
            names.append(name);
    // ttyUSB2 before ttyUSB10
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });

    QList<SerialPort> ports;
    for (const QString &name : names) {
        SerialPort port;
        port.name = name;
        port.node = QStringLiteral("/dev/") + name;
        port.kernelKnows = kernelNames.contains(name);
        if (port.kernelKnows)
            port.usb = usbAncestor(QStringLiteral("/sys/class/tty/") + name + QStringLiteral("/device"));
        ports.append(port);
    }
    return ports;
}

} // namespace diag
