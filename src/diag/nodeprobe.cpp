#include "diag/nodeprobe.h"
#include "diag/treefiles.h"

#include <QFile>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace diag
{

namespace
{

class TreeNodeProbe : public NodeProbe
{
public:
    TreeNodeProbe(const QString &root, const Identity &user) : root_(root), user_(user) {}

    NodeStatus status(const QString &path) const override
    {
        NodeStatus node;
        struct stat info {
        };
        if (::stat(QFile::encodeName(treefiles::under(root_, path)).constData(), &info) != 0)
            return node;
        node.exists = true;
        node.characterDevice = S_ISCHR(info.st_mode);
        node.ownerUid = info.st_uid;
        node.groupGid = info.st_gid;
        node.mode = info.st_mode & 07777;
        if (node.characterDevice) {
            // /sys/dev/char/<major>:<minor>/subsystem leads to .../class/tty for terminals.
            const QString link =
                QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(major(info.st_rdev)).arg(minor(info.st_rdev));
            node.terminal = treefiles::canonical(root_, link).endsWith(QLatin1String("/tty"));
        }
        node.readWrite =
            isRealRoot() ? ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0 : allowedByMode(node);
        return node;
    }

private:
    bool isRealRoot() const { return root_.isEmpty() || root_ == QLatin1String("/"); }

    bool allowedByMode(const NodeStatus &node) const
    {
        if (user_.isRoot())
            return true;
        uint bits = node.mode & 07; // others
        if (node.ownerUid == user_.uid)
            bits = (node.mode >> 6) & 07;
        else if (user_.hasGroup(node.groupGid))
            bits = (node.mode >> 3) & 07;
        return (bits & 06) == 06;
    }

    QString root_;
    Identity user_;
};

} // namespace

std::unique_ptr<NodeProbe> makeNodeProbe(const QString &root, const Identity &user)
{
    return std::make_unique<TreeNodeProbe>(root, user);
}

} // namespace diag
