#include "files/read.h"

#include "files/places.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files
{
namespace
{

ReadResult readFailed(const char *what, const QString &path, const QString &why)
{
    return {{}, QStringLiteral("Cannot %1 file \"%2\". %3").arg(QLatin1String(what), path, why)};
}

} // namespace

ReadResult readWhole(const QString &path, qint64 maxBytes)
{
    // Not blocking: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return readFailed("open", path, reasonOf(errno));
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || onKernelFilesystem(path)) {
        ::close(fd);
        return readFailed("open", path, QStringLiteral("It is not a regular file."));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return readFailed("open", path, file.errorString());
    }
    // A file that grows while it is read could still pass the size: read one byte past the
    // limit to tell.
    ReadResult result;
    result.data = file.read(maxBytes + 1);
    if (result.data.size() > maxBytes)
        return {{}, QStringLiteral("File \"%1\" is larger than %2 bytes.").arg(path).arg(maxBytes)};
    if (file.error() != QFileDevice::NoError)
        return readFailed("read", path, file.errorString());
    return result;
}

} // namespace files
