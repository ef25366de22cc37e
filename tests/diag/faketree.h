#pragma once

#include "diag/nodeprobe.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

// A made-up machine in a temporary folder: sysfs for USB, HID and tty devices laid out with
// the kernel's links, /dev, /proc and /etc; the diagnosis reads it as its root.
class FakeTree
{
public:
    FakeTree();
    QString root() const { return dir_.path(); }

    // A USB device at a port such as "1-2", with its IDs and texts.
    void usbDevice(const QString &port, uint16_t vid, uint16_t pid, const QString &product,
                   const QString &manufacturer = QString());
    // A hidraw node on interface 0 of the device at port, on the USB bus unless told.
    void hidraw(int number, const QString &port, uint16_t vid, uint16_t pid, const QString &name,
                const std::vector<uint8_t> &descriptor, uint bus = 0x0003);
    // A USB-serial port ("ttyUSB0", "ttyACM0") on interface 0 of the device at port.
    void serialPort(const QString &name, const QString &port);
    // A file of its own under the root, e.g. "/dev/ttyUSB0" or "/etc/udev/rules.d/x.rules".
    void file(const QString &path, const QByteArray &content = QByteArray());
    void link(const QString &path, const QString &target);
    // A process with its name and the files it holds open.
    void process(qint64 pid, const QString &name, const QStringList &openFiles = {});

private:
    QString usbPath(const QString &port) const;

    QTemporaryDir dir_;
};

// Node states from a table; a node not in it does not exist.
class FakeNodes : public diag::NodeProbe
{
public:
    diag::NodeStatus status(const QString &path) const override { return nodes.value(path); }

    // A character device the given user can or cannot open.
    static diag::NodeStatus device(bool terminal, bool readWrite, uint gid, uint mode);

    QMap<QString, diag::NodeStatus> nodes;
};
