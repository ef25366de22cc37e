#include "files/places.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace files
{
namespace
{

// Filesystems whose entries are kernel interfaces rather than stored data.
constexpr unsigned long kKernelFilesystems[] = {
    PROC_SUPER_MAGIC,   SYSFS_MAGIC,         DEBUGFS_MAGIC,      TRACEFS_MAGIC,  SECURITYFS_MAGIC,
    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEVPTS_SUPER_MAGIC, PSTOREFS_MAGIC, EFIVARFS_MAGIC,
    BPF_FS_MAGIC,       SELINUX_MAGIC,       SMACK_MAGIC,        BINFMTFS_MAGIC,
    0x62656570, // configfs
    0x65735543, // fusectl
    0x19800202, // mqueue
};

const char *const kSystemFolders[] = {"/bin",    "/boot", "/dev", "/etc",  "/lib", "/lib32", "/lib64",
                                      "/libx32", "/proc", "/run", "/sbin", "/sys", "/usr",   "/var"};

} // namespace

bool onKernelFilesystem(const QString &path)
{
    QString probe = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct statfs fs {
    };
    // A name not there yet is judged by the folder that would hold it.
    while (::statfs(QFile::encodeName(probe).constData(), &fs) != 0) {
        const QString up = QFileInfo(probe).path();
        if (up == probe)
            return false;
        probe = up;
    }
    for (const unsigned long magic : kKernelFilesystems)
        if (static_cast<unsigned long>(fs.f_type) == magic)
            return true;
    return false;
}

bool isSystemFolder(const QString &path)
{
    QFileInfo info(path);
    const QString canonical = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    if (canonical == QLatin1String("/"))
        return true;
    for (const char *folder : kSystemFolders) {
        const QString f = QString::fromLatin1(folder);
        if (canonical == f || canonical.startsWith(f + QLatin1Char('/')))
            return true;
    }
    return onKernelFilesystem(canonical);
}

bool isNormalWritableFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0 &&
           !isSystemFolder(path);
}

QString reasonOf(int error)
{
    // The GNU strerror_r: safe on the session log's writer thread too.
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace files
