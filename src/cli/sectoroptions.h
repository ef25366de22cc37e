#pragma once

#include "cli/registry.h"

#include <QByteArray>
#include <cstdint>

namespace cli
{

class CommandArgs;

// The memory-sector reading mode's four fields, for `uhf mode sector` and `serial mode sector`,
// with the defaults the window starts with.
struct SectorArgs {
    uint8_t sector = 3, address = 0, length = 8;
    QByteArray password = QByteArray(4, '\0');
};

QList<Option> sectorOptions();

// Reads the four options; sector says whether the sector mode was chosen (any of them given
// for another mode is refused).
SectorArgs sectorArgs(CommandArgs &args, bool sector);

} // namespace cli
