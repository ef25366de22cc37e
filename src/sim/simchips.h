#pragma once

#include <cstdint>
#include <span>

// A chip model the simulated field makes tags of, with its memory as its maker publishes it.
// The simulator keeps this table apart from the tool's chip names, so that a wrong number in
// one shows up against the other.
struct SimChip {
    const char *maker;
    const char *model;
    uint16_t maskDesigner; // 9 bits, the GS1 list's ID of the maker
    uint16_t modelNumber;  // 12 bits
    bool extendedTid;      // the TID carries an extended header and a 48-bit serial
    int epcWords;          // EPC memory behind StoredCRC and PC
    int userWords;         // 0: no user memory
};

std::span<const SimChip> simulatedChips();
