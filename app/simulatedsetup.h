#pragma once

#include "sim/fieldstatefile.h"
#include "sim/ptyuhfmodule.h"
#include "sim/simulatedreader.h"

#include <memory>
#include <optional>

class SimulatorWindow;
class TForm1;

// The simulated reader with its UHF module on a pseudo-terminal and the simulator window:
// what --simulate starts with, and what "Tools > Use the simulated reader" switches to.
class SimulatedSetup
{
public:
    // fieldTags: the simulated field's number of tags (RFID_SIM_FIELD); nothing for the one tag.
    explicit SimulatedSetup(SimulatedReader::Personality personality, std::optional<int> fieldTags = std::nullopt);
    ~SimulatedSetup();

    // Puts the simulator behind the window: its link, the title and status bar, the module
    // among the serial ports (with a line in the log), the simulator window beside it.
    void attach(TForm1 &form);

    SimulatedReader reader;
    PtyUhfModule module;
    // With RFID_SIM_FIELD: what is written to the field's tags is there in the next run.
    std::unique_ptr<FieldStateFile> fieldState;
    std::unique_ptr<SimulatorWindow> window;
};
