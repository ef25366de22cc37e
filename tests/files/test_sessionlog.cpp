#include "smalltmpfs.h"
#include "support/fakedevice.h"

#include "files/places.h"
#include "files/sessionlog.h"
#include "files/sessionlogfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>

namespace
{

const QDateTime kStart(QDate(2024, 3, 5), QTime(13, 7, 9));

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What a log said when it stopped, taken on the writer thread.
struct Stops {
    explicit Stops(SessionLog &log)
    {
        QObject::connect(
            &log, &SessionLog::stopped, &log,
            [this](const QString &why) {
                std::lock_guard lock(mutex);
                reasons << why;
            },
            Qt::DirectConnection);
    }
    QStringList taken()
    {
        std::lock_guard lock(mutex);
        return reasons;
    }
    std::mutex mutex;
    QStringList reasons;
};

TEST(SessionLog, AppendsEveryLineToANewFileNamedAfterTheStart)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("logs/deeper"));
    QString first;
    {
        SessionLog log(folder, kStart);
        ASSERT_EQ(log.error(), QString());
        first = log.path();
        EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("session-2024-03-05_13-07-09.log"));
        log.append(u"读序列号成功   01:07:09 PM");
        log.append(u"two\nlines");
        log.append(u"");
        log.drain();
        EXPECT_EQ(bytesOf(first), QByteArray("读序列号成功   01:07:09 PM\ntwo\nlines\n\n"));
        log.append(u"last, written before the log closes");
    }
    EXPECT_TRUE(bytesOf(first).endsWith("\nlast, written before the log closes\n"));
    EXPECT_EQ(QFile::permissions(first) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    // A second run started in the same second gets a file of its own; the first is untouched.
    const QByteArray firstBytes = bytesOf(first);
    SessionLog again(folder, kStart);
    again.append(u"second run");
    again.drain();
    EXPECT_EQ(QFileInfo(again.path()).fileName(), QStringLiteral("session-2024-03-05_13-07-09-2.log"));
    EXPECT_EQ(bytesOf(first), firstBytes);
    QFile(QDir(folder).filePath(QStringLiteral("session-2024-03-05_13-07-09-41.log"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(QFileInfo(SessionLog(folder, kStart).path()).fileName(),
              QStringLiteral("session-2024-03-05_13-07-09-42.log"));
}

TEST(SessionLog, ADiskThatRefusesStopsItOnceAndKeepsWhatWasWritten)
{
    QTemporaryDir dir;
    FakeDevice device{FakeDevice::Step::Write, ENOSPC, 10};
    SessionLog log(dir.path(), kStart, device.calls());
    Stops stops(log);
    log.append(u"0123456789abc");
    log.drain();
    EXPECT_EQ(stops.taken(), QStringList{"No space left on device"});
    EXPECT_FALSE(log.isWriting());
    device.step = FakeDevice::Step::None;
    log.append(u"dropped: the log has stopped");
    log.drain();
    EXPECT_EQ(bytesOf(log.path()), QByteArray("0123456789"));
    EXPECT_EQ(stops.taken().size(), 1);
}

TEST(SessionLog, OnARealFullFilesystem)
{
    SmallTmpfs fs("size=16k");
    if (!fs.ok())
        GTEST_SKIP() << "mounting a tmpfs is not permitted here; the fake device covers the same path";
    SessionLog log(fs.path(), kStart);
    ASSERT_EQ(log.error(), QString());
    Stops stops(log);
    const QString line = QStringLiteral("Set Up Success   01:07:09 PM");
    for (int i = 0; i < 2000 && log.isWriting(); ++i) {
        log.append(line);
        if (i % 100 == 0)
            log.drain();
    }
    log.drain();
    EXPECT_EQ(stops.taken(), QStringList{"No space left on device"});
    const QByteArray kept = bytesOf(log.path());
    EXPECT_GT(kept.size(), 8000);
    EXPECT_TRUE(kept.startsWith((line + '\n').toUtf8()));
}

TEST(SessionLog, PruneRemovesOnlyOurLogsLastWrittenOver30DaysAgo)
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char *name;
        int ageDays;
        bool kept;
    } files[] = {
        {"session-2024-01-01_10-00-00.log", 31, false},
        {"session-2024-01-01_10-00-00-2.log", 40, false},
        {"session-2024-03-05_13-07-09.log", 29, true},
        {"notes.txt", 60, true},
        {"session-old.log", 60, true},
    };
    for (const auto &f : files) {
        QFile file(dir.filePath(QString::fromLatin1(f.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x\n");
        file.flush(); // a write after the time would set it anew
        ASSERT_TRUE(file.setFileTime(now.addDays(-f.ageDays), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(sessionlogs::prune(dir.path(), now), 2);
    for (const auto &f : files)
        EXPECT_EQ(QFile::exists(dir.filePath(QString::fromLatin1(f.name))), f.kept) << f.name;
}

TEST(Places, SystemAndNormalFolders)
{
    QTemporaryDir dir;
    const struct {
        QString path;
        bool system, normal;
    } cases[] = {
        {QStringLiteral("/"), true, false},
        {QStringLiteral("/proc"), true, false},
        {QStringLiteral("/proc/self/fd"), true, false},
        {QStringLiteral("/sys/class"), true, false},
        {QStringLiteral("/usr/share"), true, false},
        {QStringLiteral("/etc"), true, false},
        {dir.path(), false, true},
        {dir.filePath(QStringLiteral("none")), false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(files::isSystemFolder(c.path), c.system) << c.path.toStdString();
        EXPECT_EQ(files::isNormalWritableFolder(c.path), c.normal) << c.path.toStdString();
    }
    EXPECT_TRUE(files::onKernelFilesystem(QStringLiteral("/proc/version")));
    EXPECT_TRUE(files::onKernelFilesystem(QStringLiteral("/proc/not-there")));
    EXPECT_FALSE(files::onKernelFilesystem(dir.filePath(QStringLiteral("not-there"))));
    // The tests' own data folder, never the user's.
    EXPECT_TRUE(sessionlogs::defaultFolder().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
}

} // namespace
