
#include "files/sessionlog.h"
#include "files/sessionlogfolder.h"
#include "support/core/helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const QDateTime kStart(QDate(2024, 3, 5), QTime(13, 7, 9));

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

} // namespace
