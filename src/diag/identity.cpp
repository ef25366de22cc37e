#include "diag/identity.h"
#include "diag/treefiles.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace diag
{

Identity Identity::current()
{
    Identity me;
    me.uid = ::getuid();
    passwd entry{}, *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(me.uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        me.name = QString::fromLocal8Bit(entry.pw_name);
    if (me.name.isEmpty())
        me.name = qEnvironmentVariable("USER", QString::number(me.uid));
    me.gids.append(::getgid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(size_t(count) + 1);
        const int got = ::getgroups(int(groups.size()), groups.data());
        for (int i = 0; i < got; ++i)
            if (!me.gids.contains(groups[size_t(i)]))
                me.gids.append(groups[size_t(i)]);
    }
    return me;
}

QList<Group> readGroupFile(const QString &root)
{
    QList<Group> groups;
    const QString text = QString::fromLocal8Bit(treefiles::read(root, QStringLiteral("/etc/group"), 1 << 20));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // name:password:gid:member,member
        const QStringList fields = line.split(QLatin1Char(':'));
        if (fields.size() != 4 || fields[0].isEmpty())
            continue;
        bool ok = false;
        const uint gid = fields[2].toUInt(&ok);
        if (!ok)
            continue;
        groups.append({fields[0], gid, fields[3].split(QLatin1Char(','), Qt::SkipEmptyParts)});
    }
    return groups;
}

} // namespace diag
