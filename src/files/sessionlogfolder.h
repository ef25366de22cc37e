#pragma once

#include <QDateTime>
#include <QString>

// Where the session logs live and how they are named, so that only our own files are ever
// removed from the folder.
namespace sessionlogs
{

// "logs" in the user's data folder of the tool.
QString defaultFolder();

// "session-2024-03-05_13-07-09.log"; copy 2 and later get "-2" etc. before ".log".
QString fileName(const QDateTime &start, int copy = 1);
bool isLogName(const QString &name);
// The copy number after the highest one of start's logs in folder.
int nextCopy(const QString &folder, const QDateTime &start);

// Removes the logs in folder last written more than maxAgeDays before now; returns how many.
int prune(const QString &folder, const QDateTime &now, int maxAgeDays = 30);

} // namespace sessionlogs
