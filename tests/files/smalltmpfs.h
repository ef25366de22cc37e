#pragma once

#include <QString>
#include <QTemporaryDir>
#include <sys/mount.h>

// A real tmpfs of a few KiB, where the test may mount one (root, or a namespace that allows
// it); ok() says whether it is there.
struct SmallTmpfs {
    explicit SmallTmpfs(const char *size = "size=64k")
    {
        mounted = dir.isValid() && ::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", 0, size) == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted)
            ::umount2(path().toLocal8Bit().constData(), MNT_DETACH);
    }
    bool ok() const { return mounted; }
    QString path() const { return dir.path(); }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    QTemporaryDir dir;
    bool mounted = false;
};
