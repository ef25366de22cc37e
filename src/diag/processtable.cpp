#include "diag/processtable.h"
#include "diag/treefiles.h"

#include <QFile>
#include <cerrno>
#include <dirent.h>

namespace diag
{

ProcessTable::ProcessTable(const QString &root) : root_(root)
{
    for (const QString &entry : treefiles::list(root_, QStringLiteral("/proc"))) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || pid <= 0)
            continue;
        // comm may be gone already (the process ended) or unreadable: the pid still counts
        // for the open files, with no name.
        processes_.append({pid, treefiles::readLine(root_, QStringLiteral("/proc/%1/comm").arg(pid))});
    }
}

QList<Process> ProcessTable::processes() const
{
    return processes_;
}

QList<Process> ProcessTable::named(const QString &name) const
{
    QList<Process> found;
    for (const Process &p : processes_)
        if (p.name == name)
            found.append(p);
    return found;
}

Holders ProcessTable::holders(const QStringList &nodes, qint64 selfPid) const
{
    Holders result;
    if (nodes.isEmpty())
        return result;
    for (const Process &p : processes_) {
        if (p.pid == selfPid)
            continue;
        const QString fdDir = QStringLiteral("/proc/%1/fd").arg(p.pid);
        DIR *dir = ::opendir(QFile::encodeName(treefiles::under(root_, fdDir)).constData());
        if (!dir) {
            if (errno == EACCES || errno == EPERM)
                ++result.hidden;
            continue; // ENOENT: it ended while we looked
        }
        ::closedir(dir);
        for (const QString &fd : treefiles::list(root_, fdDir)) {
            const QString target = treefiles::linkTarget(root_, fdDir + QLatin1Char('/') + fd);
            if (nodes.contains(target)) {
                QList<Process> &list = result.byNode[target];
                if (list.isEmpty() || list.last().pid != p.pid)
                    list.append(p);
            }
        }
    }
    return result;
}

} // namespace diag
