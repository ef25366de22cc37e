#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace cli
{

// The commands of a -c text or of standard input: split at semicolons and line ends outside
// quotes, into words at blanks. '...' and "..." quote (a WiFi name with blanks), a backslash
// outside single quotes takes the next character as it is, and '#' at the start of a word
// starts a comment that runs to the end of the line. Empty commands are dropped. Throws
// UserError on a quote left open.
QList<QStringList> splitScript(const QString &text);

} // namespace cli
