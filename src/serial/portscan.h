#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Finds the serial ports that could be opened now.
namespace portscan
{

struct Candidate {
    QString name; // as listed, e.g. "ttyUSB0"
    QString path; // e.g. "/dev/ttyUSB0"
};

// The devices worth probing, in order: ttyUSB0..15, ttyACM0..15, ttyS0..15. A ttyS whose
// sysfs type says no UART is behind it (0) is left out: every PC has such phantom ports.
QList<Candidate> candidates(const QString &devDir = QStringLiteral("/dev"),
                            const QString &sysTtyDir = QStringLiteral("/sys/class/tty"));

// Opens the device exclusively and closes it again at once: true when that worked. A port
// held by another program, or by our own open port, fails.
bool probe(const QString &path);

// The names of the candidates that probe.
QStringList scan(const QList<Candidate> &list);

// scan(candidates()).
QStringList GetPorts();

} // namespace portscan
