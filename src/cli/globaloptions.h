#pragma once

#include <QList>
#include <QString>

namespace cli
{

// An option that holds for the whole run, before the command.
struct GlobalOption {
    QString name;  // without dashes; one letter for a short option
    QString value; // the value's name, empty for a switch
    QString help;
    bool hidden = false;        // not in help (the build's own options)
    bool optionalValue = false; // --simulate alone means --simulate=keyboard
};

const QList<GlobalOption> &globalOptions();
// "--usb VID:PID", "-c SCRIPT", "--simulate[=KIND]".
QString optionSynopsis(const GlobalOption &option);

} // namespace cli
