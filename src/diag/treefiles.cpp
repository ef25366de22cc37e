#include "diag/treefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dirent.h>
#include <unistd.h>

namespace diag::treefiles
{

QString under(const QString &root, const QString &path)
{
    if (root.isEmpty() || root == QLatin1String("/"))
        return path;
    QString base = root;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + path;
}

QByteArray read(const QString &root, const QString &path, qint64 maxBytes)
{
    QFile file(under(root, path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QByteArray();
    return file.read(maxBytes);
}

QString readLine(const QString &root, const QString &path)
{
    const QByteArray bytes = read(root, path, 1024);
    const int end = bytes.indexOf('\n');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end)).trimmed();
}

QStringList list(const QString &root, const QString &path)
{
    // readdir rather than QDir: QDir leaves out links whose target is missing, and in
    // /proc/<pid>/fd that is every link when the tree is not the real one.
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(under(root, path)).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.append(name);
    }
    ::closedir(dir);
    names.sort();
    return names;
}

QString linkTarget(const QString &root, const QString &path)
{
    char target[4096];
    const ssize_t length = ::readlink(QFile::encodeName(under(root, path)).constData(), target, sizeof target);
    if (length <= 0 || size_t(length) == sizeof target)
        return QString();
    return QFile::decodeName(QByteArray(target, int(length)));
}

QString canonical(const QString &root, const QString &path)
{
    return QFileInfo(under(root, path)).canonicalFilePath();
}

bool exists(const QString &root, const QString &path)
{
    return QFileInfo::exists(under(root, path));
}

} // namespace diag::treefiles
