#pragma once

#include "cli/registry.h"

#include <QString>

// The texts made from the registry and the global options, so that help, the manual page and
// the completion always list the same commands.
namespace cli
{

// What --help prints.
QString usageText();
// What `rfidctl help` prints: every command with its summary.
QString commandList();
// What `rfidctl help FAMILY` and `rfidctl help FAMILY ACTION` print.
QString familyHelp(const Family &family);
QString actionHelp(const Family &family, const Action &action);
// The manual page rfidctl.1 (roff, man macros).
QString manPage();
// The bash completion script.
QString bashCompletion();

} // namespace cli
