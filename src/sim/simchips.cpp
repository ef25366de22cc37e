#include "sim/simchips.h"

namespace
{

// Several makers, models with and without user memory, short and long EPC memories.
constexpr SimChip kChips[] = {
    {"Impinj", "Monza R6", 0x001, 0x160, true, 6, 0},
    {"Alien Technology", "Higgs-3", 0x003, 0x412, false, 30, 32},
    {"NXP", "UCODE 8", 0x006, 0x894, true, 8, 0},
    {"Impinj", "Monza 4QT", 0x001, 0x105, true, 8, 32},
    {"Alien Technology", "Higgs-4", 0x003, 0x414, false, 8, 8},
    {"NXP", "UCODE 9", 0x006, 0x995, true, 6, 0},
    {"Impinj", "M750", 0x001, 0x190, true, 6, 2},
    {"Alien Technology", "Higgs-9", 0x003, 0x821, true, 31, 43},
    {"NXP", "UCODE 7xm-2k", 0x006, 0xF12, true, 28, 128},
    {"Impinj", "M730", 0x001, 0x191, true, 8, 0},
    {"Impinj", "Monza 4E", 0x001, 0x10C, true, 31, 8},
    {"Impinj", "Monza R6-P", 0x001, 0x170, true, 8, 2},
};

} // namespace

std::span<const SimChip> simulatedChips()
{
    return kChips;
}
