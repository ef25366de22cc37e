#pragma once

#include <cstdint>

// What every exchange with the reader needs besides the command itself. The window's controls
// (the device address list, the reply echo, the buzzer size, the HF pause) update it through
// their change signals; the command line sets it from its options.
struct ReaderSettings {
    uint8_t address = 0x00; // the device address framed into every reader command
    bool echo = false;      // log every reply as it arrives ("Receive...")
    bool bigBuzzer = true;  // the keyboard-output format carries the buzzer size
    int hfPauseMs = 100;    // the pause of the HF repeat loops

    bool operator==(const ReaderSettings &) const = default;
};
