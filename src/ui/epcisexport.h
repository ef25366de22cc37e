#pragma once

#include <QString>

class QWidget;

// The EPC batch window's "Export EPCIS...": the EPCIS 2.0 document of the tags a journal
// shows commissioned, written to a file the user chooses.
namespace epcisexport
{

// Asks for the file in the project's save dialog (a name ending in .xml gives XML, any other
// JSON-LD) and writes the document of the journal at journalPath to it, replacing the file
// only once the document is whole. Returns what was written ("3 commissioning events written to
// ...") or an empty text when the user cancelled. Throws UserError (the handler's guard shows
// it in a message box) when no journal is given or it cannot be read, or the file cannot be
// written whole; nothing is asked then when the journal is missing.
QString exportDocument(QWidget *parent, const QString &journalPath);

} // namespace epcisexport
