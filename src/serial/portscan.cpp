#include "serial/portscan.h"

#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace portscan
{

namespace
{

QStringList &extraPaths()
{
    static QStringList paths;
    return paths;
}

struct ScanDirectories {
    QString dev = QStringLiteral("/dev");
    QString sysTty = QStringLiteral("/sys/class/tty");
};

ScanDirectories &scanDirectories()
{
    static ScanDirectories dirs;
    return dirs;
}

// False only when sysfs says the port has no UART.
bool hasUart(const QString &sysTtyDir, const QString &name)
{
    QFile type(sysTtyDir + QLatin1Char('/') + name + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return true;
    bool ok = false;
    const int value = type.readAll().trimmed().toInt(&ok);
    return !ok || value != 0;
}

} // namespace

QList<Candidate> candidates(const QString &devDir, const QString &sysTtyDir)
{
    QList<Candidate> list;
    for (const char *stem : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (int i = 0; i < 16; ++i) {
            const QString name = QString::fromLatin1(stem) + QString::number(i);
            const QString path = devDir + QLatin1Char('/') + name;
            if (!QFile::exists(path))
                continue;
            if (qstrcmp(stem, "ttyS") == 0 && !hasUart(sysTtyDir, name))
                continue;
            list.append({name, path});
        }
    }
    return list;
}

bool probe(const QString &path)
{
    const QByteArray local = path.toLocal8Bit();
    const int fd = ::open(local.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

QStringList scan(const QList<Candidate> &list)
{
    QStringList names;
    for (const Candidate &c : list)
        if (probe(c.path))
            names.append(c.name);
    return names;
}

void addExtraPath(const QString &path)
{
    if (!path.isEmpty() && !extraPaths().contains(path))
        extraPaths().append(path);
}

void removeExtraPath(const QString &path)
{
    extraPaths().removeAll(path);
}

QList<Candidate> extraCandidates()
{
    QList<Candidate> list;
    for (const QString &path : extraPaths())
        list.append({nameOf(path), path});
    return list;
}

QString nameOf(const QString &path)
{
    const QString dev = QStringLiteral("/dev/");
    return path.startsWith(dev) ? path.mid(dev.size()) : path;
}

QString pathOf(const QString &name)
{
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

void setScanDirectories(const QString &devDir, const QString &sysTtyDir)
{
    scanDirectories() = {devDir, sysTtyDir};
}

QStringList GetPorts()
{
    return scan(candidates(scanDirectories().dev, scanDirectories().sysTty) + extraCandidates());
}

} // namespace portscan
