#include "simulatedsetup.h"

#include "serial/portscan.h"
#include "sim/cuefollower.h"
#include "sim/simulatorwindow.h"
#include "ui/epcbatchwindow.h"
#include "ui/tform1.h"

SimulatedSetup::SimulatedSetup(SimulatedReader::Personality personality, std::optional<int> fieldTags)
    : reader(personality), module(reader.uhf(), &reader.faults())
{
    if (fieldTags) {
        reader.uhf().fillField(*fieldTags);
        fieldState = std::make_unique<FieldStateFile>(reader.uhf(), FieldStateFile::defaultFolder());
    }
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
    if (fieldState) {
        QObject::connect(fieldState.get(), &FieldStateFile::problem, &form, [&form](const QString &m) { form.log(m); });
        fieldState->load();
    }
    EpcBatchWindow::setCueFollower([this](const epc::Cue &cue) { sim::followCue(reader.uhf(), cue.kind); });
    window = std::make_unique<SimulatorWindow>(reader, module.isOpen() ? &module : nullptr);
    window->move(form.frameGeometry().topRight() + QPoint(8, 0));
    window->show();
    if (module.isOpen()) {
        // The module's line is listed among the serial ports, e.g. as "pts/3".
        portscan::addExtraPath(module.devicePath());
        form.log(QStringLiteral("Simulated UHF module on %1").arg(module.devicePath()));
    }
}
