#include "diag/serialbridges.h"

namespace diag
{

const QList<SerialBridge> &serialBridges()
{
    static const QList<SerialBridge> bridges = {
        {0x0403, 0x6001, "FTDI FT232R"},         {0x0403, 0x6015, "FTDI FT230X/FT231X"},
        {0x10c4, 0xea60, "Silicon Labs CP210x"}, {0x1a86, 0x7523, "WCH CH340/CH341"},
        {0x1a86, 0x55d3, "WCH CH343"},           {0x1a86, 0x55d4, "WCH CH9102"},
        {0x067b, 0x2303, "Prolific PL2303"},     {0x067b, 0x23a3, "Prolific PL2303GC"},
    };
    return bridges;
}

const char *serialBridgeChip(uint16_t vid, uint16_t pid)
{
    for (const SerialBridge &b : serialBridges())
        if (b.vid == vid && b.pid == pid)
            return b.chip;
    return nullptr;
}

} // namespace diag
