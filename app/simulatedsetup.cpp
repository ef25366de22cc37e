#include "simulatedsetup.h"

#include "serial/portscan.h"
#include "sim/simulatorwindow.h"
#include "ui/epcbatchwindow.h"
#include "ui/tform1.h"

namespace
{

// What the simulated reader's person does on a batch's cue, so that a batch runs unattended.
void followCue(UhfModule &field, epc::CueKind kind)
{
    switch (kind) {
    case epc::CueKind::RemoveTag:
    case epc::CueKind::Failed:
    case epc::CueKind::AlreadyWritten:
        field.operatorCue(UhfModule::OperatorCue::Remove);
        break;
    case epc::CueKind::SeveralTags:
        field.operatorCue(UhfModule::OperatorCue::LeaveOne);
        break;
    case epc::CueKind::PlaceTag:
        field.operatorCue(UhfModule::OperatorCue::Place);
        break;
    case epc::CueKind::ReaderSilent:
    case epc::CueKind::Paused:
        break;
    }
}

} // namespace

SimulatedSetup::SimulatedSetup(SimulatedReader::Personality personality)
    : reader(personality), module(reader.uhf(), &reader.faults())
{
}

SimulatedSetup::~SimulatedSetup()
{
    EpcBatchWindow::setCueFollower({});
    if (module.isOpen())
        portscan::removeExtraPath(module.devicePath());
}

void SimulatedSetup::attach(TForm1 &form)
{
    form.link().setTransport(reader);
    form.setReaderNote(QStringLiteral("simulated reader"));
    EpcBatchWindow::setCueFollower([this](const epc::Cue &cue) { followCue(reader.uhf(), cue.kind); });
    window = std::make_unique<SimulatorWindow>(reader, module.isOpen() ? &module : nullptr);
    window->move(form.frameGeometry().topRight() + QPoint(8, 0));
    window->show();
    if (module.isOpen()) {
        // The module's line is listed among the serial ports, e.g. as "pts/3".
        portscan::addExtraPath(module.devicePath());
        form.log(QStringLiteral("Simulated UHF module on %1").arg(module.devicePath()));
    }
}
