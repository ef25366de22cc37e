#include "serial/portscan.h"

#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace portscan
{

namespace
{

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

QStringList GetPorts()
{
    return scan(candidates());
}

} // namespace portscan
