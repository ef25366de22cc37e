#pragma once

#include "sim/simulatedreader.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace cli
{

// The options that hold for every command of a run.
struct RunOptions {
    std::optional<uint16_t> vid, pid; // --usb VID:PID
    QString device;                   // --device PATH
    std::optional<SimulatedReader::Personality> simulate;
    std::optional<int> simulatedFieldTags; // RFID_SIM_FIELD, read with --simulate
    std::optional<uint8_t> address;
    bool json = false;
    QString traceFile;
    std::optional<int> timeoutMs; // replaces every command's own wait for its reply
};

} // namespace cli
