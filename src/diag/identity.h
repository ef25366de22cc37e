#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace diag
{

// The user the checks speak for.
struct Identity {
    QString name; // login name, for the commands in the fixes
    uint uid = 0;
    QList<uint> gids; // the groups this session has now (primary and supplementary)

    // The user running this process.
    static Identity current();
    bool isRoot() const { return uid == 0; }
    bool hasGroup(uint gid) const { return gids.contains(gid); }
};

// One line of the group file.
struct Group {
    QString name;
    uint gid = 0;
    QStringList members;
};

// The groups listed in <root>/etc/group; lines that do not parse are skipped.
QList<Group> readGroupFile(const QString &root);

} // namespace diag
