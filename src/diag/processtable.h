#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace diag
{

struct Process {
    qint64 pid = 0;
    QString name; // from /proc/<pid>/comm
};

// Who holds which of the given device nodes open.
struct Holders {
    QMap<QString, QList<Process>> byNode;
    int hidden = 0; // processes whose open files this user may not look at
};

// The processes listed in <root>/proc. Entries that vanish or may not be read while it
// looks are passed over.
class ProcessTable
{
public:
    explicit ProcessTable(const QString &root);

    QList<Process> processes() const;
    // The processes named so ("ModemManager", "brltty").
    QList<Process> named(const QString &name) const;
    // Follows every /proc/<pid>/fd link; the process selfPid (this program) is left out.
    Holders holders(const QStringList &nodes, qint64 selfPid) const;

private:
    QString root_;
    QList<Process> processes_;
};

} // namespace diag
