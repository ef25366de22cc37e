#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace diag
{

// Ok says a check passed (the reader is there and can be opened); Info is worth knowing;
// Warning may get in the way; Error keeps the reader or the port from being reached.
enum class Severity { Ok, Info, Warning, Error };

// One thing the checks found, for a person to read: what is the matter and what to do.
struct Finding {
    Severity severity = Severity::Info;
    QString check;       // which check, a stable key such as "hidraw-permission"
    QString summary;     // what is the matter, in plain words, one or two sentences
    QStringList details; // facts behind it, e.g. the USB devices that are plugged in
    QStringList fix;     // what to do: prose lines and command lines ("  sudo ..."); empty when nothing
};

// "ok", "info", "warning", "error".
QString severityName(Severity severity);

// The one text shape both front-ends print:
//   error: summary
//     details...
//     fix: first line
//          next line
QString formatFinding(const Finding &finding);

// The whole run in the shape both front-ends show: each finding as formatFinding gives it,
// a blank line between them, then the verdict.
QString formatReport(const QList<Finding> &findings);

// "2 errors, 1 warning." or "Nothing in the way found." (infos and passed checks are not counted).
QString verdict(const QList<Finding> &findings);

// The commands of a finding's fix, ready to paste: its lines that begin with two blanks,
// without them.
QStringList fixCommands(const Finding &finding);

// The most severe of the findings; Ok for none.
Severity worstSeverity(const QList<Finding> &findings);

} // namespace diag
