#include "files/sessionlogfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace sessionlogs
{

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/logs");
}

QString fileName(const QDateTime &start, int copy)
{
    const QString stamp = start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    return copy <= 1 ? QStringLiteral("session-%1.log").arg(stamp)
                     : QStringLiteral("session-%1-%2.log").arg(stamp).arg(copy);
}

bool isLogName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^session-\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}(-\\d+)?\\.log$"));
    return pattern.match(name).hasMatch();
}

int nextCopy(const QString &folder, const QDateTime &start)
{
    const QString first = fileName(start);
    const QString stem = first.chopped(4); // without ".log"
    int highest = 0;
    for (const QString &name : QDir(folder).entryList({stem + QStringLiteral("*.log")}, QDir::Files)) {
        if (name == first) {
            highest = qMax(highest, 1);
            continue;
        }
        bool ok = false;
        const int copy = name.mid(stem.size() + 1).chopped(4).toInt(&ok);
        if (ok && name.at(stem.size()) == QLatin1Char('-'))
            highest = qMax(highest, copy);
    }
    return highest + 1;
}

int prune(const QString &folder, const QDateTime &now, int maxAgeDays)
{
    const QDateTime limit = now.addDays(-maxAgeDays);
    int removed = 0;
    // By the last write rather than the name: a run that is still going is never removed.
    for (const QFileInfo &f : QDir(folder).entryInfoList({QStringLiteral("session-*.log")}, QDir::Files)) {
        if (isLogName(f.fileName()) && f.lastModified() < limit && QFile::remove(f.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace sessionlogs
