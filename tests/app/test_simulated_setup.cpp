#include "serial/portscan.h"
#include "sim/simulatorwindow.h"
#include "simulatedsetup.h"
#include "support/fakehid.h"
#include "support/windowtest.h"
#include "uhf/keyboardoutputpage.h"
#include "ui/connectiontools.h"

#include <gtest/gtest.h>

namespace
{

// No reader at start: the status bar says so, and the simulator takes its place in the
// running window, as --simulate would have started it.
using SimulatorSwitch = WindowTestBase;

TEST_F(SimulatorSwitch, NoReaderAtStartThenTheSimulatorInPlace)
{
    HidTransport usb(std::make_unique<FakeHidOpener>());
    std::unique_ptr<SimulatedSetup> sim;
    openWindow(usb);
    form->connectionTools->offerSimulator([&] {
        sim = std::make_unique<SimulatedSetup>(SimulatedReader::Personality::Keyboard);
        sim->attach(*form);
    });
    waits::waitUntil(2000, [&] { return form->link().presence() != ReaderPresence::Unknown; });
    EXPECT_EQ(form->panels[1]->text(), "No reader");
    QAction *use = find<QAction>("ToolsUseSimulator");
    ASSERT_TRUE(use->isEnabled());

    use->trigger();
    ASSERT_TRUE(sim);
    EXPECT_EQ(&form->link().transport(), &sim->reader);
    EXPECT_EQ(form->windowTitle(), "Format output  card number V2.7 [simulated reader]");
    EXPECT_EQ(form->panels[1]->text(), "SIM");
    EXPECT_FALSE(use->isEnabled()) << "once per run";
    ASSERT_TRUE(sim->window);
    EXPECT_TRUE(sim->window->isVisible());
    ASSERT_TRUE(sim->module.isOpen());
    EXPECT_EQ(log(), QStringList{"Simulated UHF module on " + sim->module.devicePath()});
    bool listed = false;
    for (const portscan::Candidate &c : portscan::extraCandidates())
        listed = listed || c.path == sim->module.devicePath();
    EXPECT_TRUE(listed) << "the module's line is among the serial ports";

    form->logPane->clear();
    form->keyboardPage->activeModeButton->click();
    EXPECT_EQ(log(), QStringList{"Set Active reading success    01:07:09 PM"});
    EXPECT_EQ(sim->reader.framesReceived(), 1);
    form.reset();
}

} // namespace
