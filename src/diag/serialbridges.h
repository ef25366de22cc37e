#pragma once

#include <QList>
#include <QString>
#include <cstdint>

namespace diag
{

// A USB-serial bridge chip that UHF modules are built with. The udev rule lists the same
// ones (a test compares the two).
struct SerialBridge {
    uint16_t vid;
    uint16_t pid;
    const char *chip;
};

const QList<SerialBridge> &serialBridges();

// The chip's name, or nullptr when the rule does not know the device.
const char *serialBridgeChip(uint16_t vid, uint16_t pid);

} // namespace diag
