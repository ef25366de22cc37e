#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading below the root folder the checks look at ("/" on a machine, a made-up tree in the
// tests). Every reader gives up quietly: a file that is missing, unreadable or gone while
// being read is empty, a folder that cannot be listed has no entries.
namespace diag::treefiles
{

// root + path, where path is absolute as on the machine ("/sys/class/hidraw").
QString under(const QString &root, const QString &path);

// At most maxBytes of the file.
QByteArray read(const QString &root, const QString &path, qint64 maxBytes = 4096);

// The file's first line, without blanks around it.
QString readLine(const QString &root, const QString &path);

// The names in a folder, sorted, without "." and "..". Broken symbolic links are listed too.
QStringList list(const QString &root, const QString &path);

// Where a symbolic link points, as written; empty when it is not one.
QString linkTarget(const QString &root, const QString &path);

// The real folder a path leads to, below the root; empty when it does not exist.
QString canonical(const QString &root, const QString &path);

bool exists(const QString &root, const QString &path);

} // namespace diag::treefiles
