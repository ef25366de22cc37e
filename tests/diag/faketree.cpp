#include "faketree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

// One PCI controller, one root hub: enough for the links to look as they do.
const QString hostDir = QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1");

QString relativeTo(const QString &fromDir, const QString &to)
{
    return QDir(fromDir).relativeFilePath(to);
}

} // namespace

FakeTree::FakeTree()
{
    QDir(root()).mkpath(QStringLiteral("sys/bus/usb/devices"));
    QDir(root()).mkpath(QStringLiteral("proc"));
    QDir(root()).mkpath(QStringLiteral("dev"));
}

QString FakeTree::usbPath(const QString &port) const
{
    return hostDir + QLatin1Char('/') + port;
}

void FakeTree::file(const QString &path, const QByteArray &content)
{
    const QString full = root() + path;
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

void FakeTree::link(const QString &path, const QString &target)
{
    const QString full = root() + path;
    QDir().mkpath(QFileInfo(full).path());
    QFile::link(target, full);
}

void FakeTree::usbDevice(const QString &port, uint16_t vid, uint16_t pid, const QString &product,
                         const QString &manufacturer)
{
    const QString dev = usbPath(port);
    file(dev + QStringLiteral("/idVendor"), QByteArray::number(vid, 16).rightJustified(4, '0') + '\n');
    file(dev + QStringLiteral("/idProduct"), QByteArray::number(pid, 16).rightJustified(4, '0') + '\n');
    file(dev + QStringLiteral("/bDeviceClass"), "00\n");
    if (!product.isEmpty())
        file(dev + QStringLiteral("/product"), product.toUtf8() + '\n');
    if (!manufacturer.isEmpty())
        file(dev + QStringLiteral("/manufacturer"), manufacturer.toUtf8() + '\n');
    file(dev + QLatin1Char('/') + port + QStringLiteral(":1.0/bInterfaceClass"), "03\n");
    const QString devices = QStringLiteral("/sys/bus/usb/devices");
    link(devices + QLatin1Char('/') + port, relativeTo(root() + devices, root() + dev));
    link(devices + QLatin1Char('/') + port + QStringLiteral(":1.0"),
         relativeTo(root() + devices, root() + dev + QLatin1Char('/') + port + QStringLiteral(":1.0")));
}

void FakeTree::hidraw(int number, const QString &port, uint16_t vid, uint16_t pid, const QString &name,
                      const std::vector<uint8_t> &descriptor, uint bus)
{
    const QString hid = usbPath(port) + QLatin1Char('/') + port +
                        QStringLiteral(":1.0/0003:%1:%2.%3")
                            .arg(vid, 4, 16, QLatin1Char('0'))
                            .arg(pid, 4, 16, QLatin1Char('0'))
                            .arg(number + 1, 4, 16, QLatin1Char('0'))
                            .toUpper();
    file(hid + QStringLiteral("/report_descriptor"),
         QByteArray(reinterpret_cast<const char *>(descriptor.data()), int(descriptor.size())));
    const QString ids =
        QStringLiteral("%1:%2").arg(vid, 8, 16, QLatin1Char('0')).arg(pid, 8, 16, QLatin1Char('0')).toUpper();
    file(hid + QStringLiteral("/uevent"),
         (QStringLiteral("DRIVER=hid-generic\nHID_ID=%1:").arg(bus, 4, 16, QLatin1Char('0')) + ids +
          QStringLiteral("\nHID_NAME=") + name + '\n')
             .toUtf8());
    const QString node = hid + QStringLiteral("/hidraw/hidraw%1").arg(number);
    link(node + QStringLiteral("/device"), QStringLiteral("../.."));
    link(QStringLiteral("/sys/class/hidraw/hidraw%1").arg(number),
         relativeTo(root() + QStringLiteral("/sys/class/hidraw"), root() + node));
    file(QStringLiteral("/dev/hidraw%1").arg(number));
}

void FakeTree::serialPort(const QString &name, const QString &port)
{
    // ttyUSB: interface/ttyUSB0/tty/ttyUSB0, whose device is the usb-serial port;
    // ttyACM: interface/tty/ttyACM0, whose device is the interface.
    const QString iface = usbPath(port) + QLatin1Char('/') + port + QStringLiteral(":1.0");
    const bool usbSerial = name.startsWith(QLatin1String("ttyUSB"));
    const QString owner = usbSerial ? iface + QLatin1Char('/') + name : iface;
    const QString tty = owner + QStringLiteral("/tty/") + name;
    file(tty + QStringLiteral("/dev"), "188:0\n");
    link(tty + QStringLiteral("/device"), QStringLiteral("../.."));
    link(QStringLiteral("/sys/class/tty/") + name, relativeTo(root() + QStringLiteral("/sys/class/tty"), root() + tty));
    file(QStringLiteral("/dev/") + name);
}

void FakeTree::process(qint64 pid, const QString &name, const QStringList &openFiles)
{
    const QString dir = QStringLiteral("/proc/%1").arg(pid);
    file(dir + QStringLiteral("/comm"), name.toUtf8() + '\n');
    QDir().mkpath(root() + dir + QStringLiteral("/fd"));
    link(dir + QStringLiteral("/fd/0"), QStringLiteral("/dev/null"));
    for (int i = 0; i < openFiles.size(); ++i)
        link(dir + QStringLiteral("/fd/%1").arg(i + 3), openFiles[i]);
}

diag::NodeStatus FakeNodes::device(bool terminal, bool readWrite, uint gid, uint mode)
{
    diag::NodeStatus node;
    node.exists = true;
    node.characterDevice = true;
    node.terminal = terminal;
    node.readWrite = readWrite;
    node.groupGid = gid;
    node.mode = mode;
    return node;
}
