#include "smalltmpfs.h"
#include "support/core/helpers.h"
#include "support/fakedevice.h"
#include "support/fifo.h"

#include "files/read.h"
#include "files/save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QByteArray kOld = "old bytes, byte for byte\n";

void put(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray sizable(int bytes)
{
    QByteArray b;
    while (b.size() < bytes)
        b += "line of the log pane, long enough to need several writes\n";
    return b.left(bytes);
}

// Files left beside the target: a failed save leaves none of its own.
QStringList partFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
}

TEST(Save, EveryFailureKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("log.txt"));
    const QString fifoPath = dir.filePath(QStringLiteral("fifo"));
    Fifo fifo(fifoPath);
    struct Case {
        const char *what;
        QString path;
        FakeDevice device;
        QString message;  // the whole message, or
        QString contains; // what it must hold
    };
    const QString quoted = QStringLiteral("\"%1\". ").arg(target);
    const Case cases[] = {
        {"full disk during the write",
         target,
         {FakeDevice::Step::Write, ENOSPC, 5000},
         "Cannot write file " + quoted + "No space left on device",
         {}},
        {"full disk at the very first byte",
         target,
         {FakeDevice::Step::Write, ENOSPC, 0},
         "Cannot write file " + quoted + "No space left on device",
         {}},
        {"full disk found at the flush",
         target,
         {FakeDevice::Step::Fsync, ENOSPC, 0},
         "Cannot write file " + quoted + "No space left on device",
         {}},
        {"quota met at the close",
         target,
         {FakeDevice::Step::Close, EDQUOT, 0},
         "Cannot write file " + quoted + "Disk quota exceeded",
         {}},
        {"read-only filesystem",
         target,
         {FakeDevice::Step::Open, EROFS, 0},
         "Cannot create file " + quoted + "Read-only file system",
         {}},
        {"the new name refused",
         target,
         {FakeDevice::Step::Rename, EBUSY, 0},
         "Cannot replace file " + quoted + "Device or resource busy",
         {}},
        {"a kernel file", QStringLiteral("/proc/version"), {}, {}, QStringLiteral("not a regular file")},
        {"a new name among kernel files", QStringLiteral("/proc/x"), {}, {}, QStringLiteral("not regular files")},
        {"a FIFO", fifoPath, {}, {}, QStringLiteral("not a regular file")},
        {"a folder", dir.path(), {}, {}, QStringLiteral("a folder, not a regular file")},
        {"a missing folder",
         dir.filePath(QStringLiteral("none/log.txt")),
         {},
         {},
         QStringLiteral("No such file or directory")},
    };
    for (Case c : cases) {
        if (c.path == target)
            put(target, kOld);
        const QByteArray before = QFileInfo(c.path).isFile() ? bytesOf(c.path) : QByteArray();
        const QString error = files::saveWhole(c.path, sizable(20000), c.device.calls());
        EXPECT_FALSE(fifo.waitedOn()) << c.what << ": nothing waits on the FIFO";
        if (!c.message.isEmpty()) {
            EXPECT_EQ(error, c.message) << c.what;
        } else {
            EXPECT_TRUE(error.contains(c.contains)) << c.what << ": " << error.toStdString();
        }
        if (QFileInfo(c.path).isFile()) {
            EXPECT_EQ(bytesOf(c.path), before) << c.what;
        }
        EXPECT_EQ(partFiles(dir.path()), QStringList()) << c.what;
    }
}

TEST(Save, ReplacesTheTargetOfALinkAndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    put(real, kOld);
    ::chmod(QFile::encodeName(real).constData(), 0640);
    QFile::link(real, link);
    ASSERT_EQ(files::saveWhole(link, "new"), QString());
    EXPECT_EQ(bytesOf(real), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat st {
    };
    ::stat(QFile::encodeName(real).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(partFiles(dir.path()), QStringList());
}

// The same failures on a real filesystem: a 64 KiB tmpfs, filled, then made read-only.
TEST(Save, OnARealFullAndThenReadOnlyFilesystem)
{
    SmallTmpfs fs;
    if (!fs.ok())
        GTEST_SKIP() << "mounting a tmpfs is not permitted here; the fake device covers the same path";
    const QString target = fs.file("log.txt");
    put(target, kOld);
    {
        QFile filler(fs.file("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    EXPECT_EQ(files::saveWhole(target, sizable(30000)),
              QStringLiteral("Cannot write file \"%1\". No space left on device").arg(target));
    EXPECT_EQ(bytesOf(target), kOld);
    EXPECT_EQ(files::saveWhole(fs.file("new.txt"), sizable(30000)),
              QStringLiteral("Cannot write file \"%1\". No space left on device").arg(fs.file("new.txt")));
    EXPECT_FALSE(QFileInfo::exists(fs.file("new.txt")));
    EXPECT_EQ(partFiles(fs.path()), QStringList());

    QFile::remove(fs.file("filler"));
    ASSERT_TRUE(fs.makeReadOnly());
    EXPECT_EQ(files::saveWhole(target, "new"),
              QStringLiteral("Cannot create file \"%1\". Read-only file system").arg(target));
    EXPECT_EQ(bytesOf(target), kOld);
}

// A file made piece by piece has them in order. A device that refuses a piece ends the maker
// there; a maker that fails by itself leaves the old file, and its exception reaches the caller.
TEST(Save, StreamedPiecesAndTheirFailures)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("doc.txt"));
    put(target, kOld);
    EXPECT_EQ(files::saveStreamed(target,
                                  [](const files::SaveWriter &write) {
                                      write("one ");
                                      write("");
                                      write("two");
                                  }),
              QString());
    EXPECT_EQ(bytesOf(target), QByteArray("one two"));

    put(target, kOld);
    int pieces = 0;
    FakeDevice full{FakeDevice::Step::Write, ENOSPC, 5000};
    const auto thousands = [&](const files::SaveWriter &write) {
        for (; pieces < 100; ++pieces)
            write(sizable(1000));
    };
    EXPECT_EQ(files::saveStreamed(target, thousands, full.calls()),
              QStringLiteral("Cannot write file \"%1\". No space left on device").arg(target));
    EXPECT_EQ(pieces, 5); // the sixth piece met the full disk
    EXPECT_EQ(bytesOf(target), kOld);

    const auto malformed = [](const files::SaveWriter &write) {
        write(sizable(1000));
        throw std::runtime_error("row 7 is malformed");
    };
    EXPECT_THROW((void)files::saveStreamed(target, malformed), std::runtime_error);
    EXPECT_EQ(bytesOf(target), kOld);
    EXPECT_EQ(partFiles(dir.path()), QStringList());
}

TEST(Read, RefusesWhatIsNotARegularFileWithoutReadingIt)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    put(plain, "AA 00\r\n");
    Fifo fifo(dir.filePath(QStringLiteral("fifo")));
    const struct {
        QString path;
        qint64 max;
        QString error; // what the message holds; empty: read whole
    } cases[] = {
        {plain, 100, {}},
        {plain, 3, QStringLiteral("is larger than 3 bytes")},
        {fifo.path, 100, QStringLiteral("not a regular file")},
        {QStringLiteral("/proc/kmsg"), 100, QStringLiteral("Cannot open file \"/proc/kmsg\".")},
        {QStringLiteral("/dev/zero"), 100, QStringLiteral("not a regular file")},
        {dir.filePath(QStringLiteral("none")), 100, QStringLiteral("No such file or directory")},
    };
    for (const auto &c : cases) {
        const files::ReadResult r = files::readWhole(c.path, c.max);
        EXPECT_FALSE(fifo.waitedOn()) << c.path.toStdString() << ": nothing waits on the FIFO";
        if (c.error.isEmpty()) {
            EXPECT_EQ(r.error, QString());
            EXPECT_EQ(r.data, QByteArray("AA 00\r\n"));
        } else {
            EXPECT_TRUE(r.error.contains(c.error)) << r.error.toStdString();
            EXPECT_TRUE(r.data.isEmpty());
        }
    }
}

} // namespace
