#include "files/save.h"

#include "files/places.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files
{
namespace
{

constexpr int kNameAttempts = 100;

QString saveFailed(const char *what, const QString &path, const QString &why)
{
    return QStringLiteral("Cannot %1 file \"%2\". %3").arg(QLatin1String(what), path, why);
}

// Where the data really goes: the end of a chain of links, or the path itself.
QString targetOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.symLinkTarget() : resolved; // a dangling link: create its target
}

// Writes all of data; false with errno set when the device takes no more.
bool writeAll(const SysCalls &sys, int fd, QByteArrayView data)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = sys.write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Thrown by a streamed save's writer when the device refused a piece; errno is in it.
struct DeviceRefused {
    int error;
};

} // namespace

QString saveWhole(const QString &path, QByteArrayView data, const SysCalls &sys)
{
    return saveStreamed(
        path, [data](const SaveWriter &write) { write(data); }, sys);
}

QString saveStreamed(const QString &path, const std::function<void(const SaveWriter &)> &produce, const SysCalls &sys)
{
    const QString target = targetOf(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {
    };
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return saveFailed("write", path, QStringLiteral("It is a folder, not a regular file."));
    if (exists && (!S_ISREG(old.st_mode) || onKernelFilesystem(target)))
        return saveFailed("write", path, QStringLiteral("It is not a regular file."));
    if (!exists && onKernelFilesystem(target))
        return saveFailed("create", path, QStringLiteral("Its folder holds kernel interfaces, not regular files."));

    const QFileInfo where(target);
    const QString folder = where.absolutePath();
    QByteArray partName;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        partName = QFile::encodeName(QStringLiteral("%1/.%2.%3.part")
                                         .arg(folder, where.fileName())
                                         .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        fd = sys.open(partName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return saveFailed("create", path, reasonOf(errno));

    // Keep the old file's permissions; a filesystem without them (FAT) refuses, which is no
    // reason to refuse the save.
    if (exists) {
        [[maybe_unused]] const int kept = ::fchmod(fd, old.st_mode & 07777);
    }

    // Each step is checked on its own: a full disk may show only at the flush, and a quota
    // on a network disk only at the close.
    bool written = false;
    int writeError = 0;
    try {
        produce([&](QByteArrayView piece) {
            if (!writeAll(sys, fd, piece))
                throw DeviceRefused{errno};
        });
        written = sys.fsync(fd) == 0 || errno == EINVAL;
        writeError = errno;
    } catch (const DeviceRefused &refused) {
        writeError = refused.error;
    } catch (...) {
        sys.close(fd);
        sys.unlink(partName.constData());
        throw;
    }
    const bool closed = sys.close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        sys.unlink(partName.constData());
        return saveFailed("write", path, reasonOf(written ? closeError : writeError));
    }
    if (sys.rename(partName.constData(), targetName.constData()) != 0) {
        const int renameError = errno;
        sys.unlink(partName.constData());
        return saveFailed("replace", path, reasonOf(renameError));
    }
    // The new name on the disk too; the data is in place whether or not this succeeds.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return QString();
}

} // namespace files
