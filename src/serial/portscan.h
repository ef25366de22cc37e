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

// Devices outside the usual names that are worth probing too (the simulated module's
// pseudo-terminal). Listed after the others, by their path without "/dev/" ("pts/3");
// a path registered twice is listed once.
void addExtraPath(const QString &path);
void removeExtraPath(const QString &path);
QList<Candidate> extraCandidates();

// The name a port is listed by: its path without a leading "/dev/".
QString nameOf(const QString &path);
// The device a listed name or a bare port name stands for: "/dev/" + name, unless the
// name is already a path.
QString pathOf(const QString &name);

// Where GetPorts looks for the usual devices (by default /dev and /sys/class/tty), so that
// a test can scan an empty tree.
void setScanDirectories(const QString &devDir, const QString &sysTtyDir);

// scan(candidates() in the scan directories + extraCandidates()).
QStringList GetPorts();

} // namespace portscan
