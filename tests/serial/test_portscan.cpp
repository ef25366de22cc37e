#include "pty.h"

#include "serial/portscan.h"
#include "serial/tcomm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
void touch(const QString &path, const QByteArray &content = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}
} // namespace

TEST(PortScan, CandidatesInOrderWithoutPhantomUarts)
{
    QTemporaryDir root;
    const QString dev = root.path() + QStringLiteral("/dev"), sys = root.path() + QStringLiteral("/sys");
    for (const char *name : {"ttyS1", "ttyS0", "ttyS2", "ttyACM3", "ttyUSB15", "ttyUSB0", "ttyUSB16", "tty0"})
        touch(dev + QLatin1Char('/') + QLatin1String(name));
    touch(sys + QStringLiteral("/ttyS0/type"), "4\n");
    touch(sys + QStringLiteral("/ttyS1/type"), "0\n"); // no UART behind it
    // ttyS2 has no type file: it is probed like any other.

    QStringList names;
    for (const auto &c : portscan::candidates(dev, sys)) {
        names << c.name;
        EXPECT_EQ(c.path, dev + QLatin1Char('/') + c.name);
    }
    EXPECT_EQ(names, (QStringList{"ttyUSB0", "ttyUSB15", "ttyACM3", "ttyS0", "ttyS2"}));
}

TEST(PortScan, ListsOnlyWhatOpensExclusivelyNow)
{
    Pty freePort, busyPort;
    TComm holder;
    holder.setCommName(busyPort.path);
    holder.OpenPort();

    const QList<portscan::Candidate> list = {{QStringLiteral("free"), freePort.path},
                                             {QStringLiteral("busy"), busyPort.path},
                                             {QStringLiteral("gone"), QStringLiteral("/dev/ttyUSB-none")}};
    EXPECT_EQ(portscan::scan(list), QStringList{QStringLiteral("free")});
    // The probe let go at once: the port still opens.
    TComm comm;
    comm.setCommName(freePort.path);
    EXPECT_NO_THROW(comm.OpenPort());
    holder.ClosePort();
    EXPECT_EQ(portscan::scan(list), QStringList{QStringLiteral("busy")});
}

TEST(PortScan, ExtraPathsComeLastByTheirNameUnderDev)
{
    Pty line;
    QTemporaryDir root;
    const QString dev = root.path() + QStringLiteral("/dev");
    touch(dev + QStringLiteral("/ttyUSB0"));
    portscan::setScanDirectories(dev, root.path() + QStringLiteral("/sys"));
    portscan::addExtraPath(line.path);
    portscan::addExtraPath(line.path);
    const QStringList names = portscan::GetPorts();
    portscan::removeExtraPath(line.path);
    const QStringList without = portscan::GetPorts();
    portscan::setScanDirectories(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));

    // The stand-in ttyUSB0 is a plain file: the probe only asks whether it opens exclusively.
    ASSERT_TRUE(line.path.startsWith(QStringLiteral("/dev/pts/")));
    EXPECT_EQ(names, (QStringList{"ttyUSB0", line.path.mid(5)}));
    EXPECT_EQ(without, QStringList{"ttyUSB0"});
}

TEST(PortScan, NamesAndPaths)
{
    struct Case {
        const char *path, *name;
    } cases[] = {{"/dev/ttyUSB0", "ttyUSB0"}, {"/dev/pts/3", "pts/3"}, {"/tmp/line", "/tmp/line"}};
    for (const Case &c : cases) {
        EXPECT_EQ(portscan::nameOf(QString::fromLatin1(c.path)), c.name);
        EXPECT_EQ(portscan::pathOf(QString::fromLatin1(c.name)), c.path);
    }
    EXPECT_EQ(portscan::pathOf(QStringLiteral("COM1")), "/dev/COM1");
    EXPECT_EQ(portscan::pathOf(QStringLiteral("none")), "/dev/none");
}
