#pragma once

#include <QString>

// What kind of place a path is, without opening anything in it: a stat or statfs only, so
// that a device, a FIFO or a kernel file is never read and never blocks.
namespace files
{

// The path (or, when it does not exist, its folder) is on a kernel interface such as /proc
// or /sys: its entries look like files but are not, and nothing can be created there.
bool onKernelFilesystem(const QString &path);

// The root, a folder of the installed system (/usr, /etc, /var, ...) or a kernel interface.
bool isSystemFolder(const QString &path);

// An existing folder the user may write into that is not a system folder: where a file
// dialog may start.
bool isNormalWritableFolder(const QString &path);

// The system's text for an errno value.
QString reasonOf(int error);

} // namespace files
