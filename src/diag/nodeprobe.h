#pragma once

#include "diag/identity.h"

#include <QString>
#include <memory>

namespace diag
{

// What a device node looks like to the user the checks speak for.
struct NodeStatus {
    bool exists = false;
    bool characterDevice = false;
    bool terminal = false;  // a character device of the kernel's tty layer
    bool readWrite = false; // the user may open it for reading and writing
    uint ownerUid = 0;
    uint groupGid = 0;
    uint mode = 0; // permission bits, e.g. 0660
};

// Looks at device nodes. Nothing here opens one: opening a serial port raises its modem
// lines, which resets some boards.
class NodeProbe
{
public:
    virtual ~NodeProbe() = default;
    // path as on the machine, e.g. "/dev/ttyUSB0".
    virtual NodeStatus status(const QString &path) const = 0;
};

// Root "/": stat() and access() on the real node (access() knows the seat's ACLs) and the
// kernel's /sys/dev/char link for the terminal test. Any other root: the same on the copy
// below it, with the right to open worked out from owner, group and mode for the given user,
// since access() on a file the tests made always says yes.
std::unique_ptr<NodeProbe> makeNodeProbe(const QString &root, const Identity &user);

} // namespace diag
