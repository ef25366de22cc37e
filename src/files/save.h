#pragma once

#include "files/syscalls.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

namespace files
{

// Replaces the file at path (the file a symbolic link points to) with data, or leaves it
// exactly as it was: the data goes to a new file beside it, and only once every write, the
// flush to the disk and the close have succeeded does it take the old file's name. Returns
// an empty text on success, else what failed and the system's reason ("No space left on
// device", "Read-only file system", ...). Devices, FIFOs and kernel files such as
// /proc/version are refused as not regular files, without opening them.
[[nodiscard]] QString saveWhole(const QString &path, QByteArrayView data, const SysCalls &sys = SysCalls::real());

// Takes the next piece of a file being saved.
using SaveWriter = std::function<void(QByteArrayView piece)>;

// saveWhole for data made piece by piece, so that a large file is never held whole: produce
// hands each piece to the writer it is given. When the device refuses a piece, the writer
// ends produce by an exception of its own and the save fails as saveWhole does. An exception
// produce throws itself leaves the old file as it was and goes on to the caller.
[[nodiscard]] QString saveStreamed(const QString &path, const std::function<void(const SaveWriter &)> &produce,
                                   const SysCalls &sys = SysCalls::real());

} // namespace files
