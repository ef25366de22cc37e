#include "ui/epcisexport.h"

#include "base/errors.h"
#include "epc/epcisdocument.h"
#include "files/save.h"
#include "ui/filedialogs.h"

#include <QApplication>
#include <QCursor>
#include <QScopeGuard>

namespace epcisexport
{

QString exportDocument(QWidget *parent, const QString &journalPath)
{
    const QString journal = journalPath.trimmed();
    if (journal.isEmpty())
        throw UserError(QStringLiteral("Journal is empty: give the journal file (or shared journal's postgresql:// "
                                       "URI) of the batch whose tags the EPCIS document tells of."));
    // Checked before the dialog: a journal that is not there, or a malformed URI, has nothing
    // to export.
    const auto rows = epc::openVerifiedRows(journal);
    const QString path = filedialogs::choose(
        parent,
        {filedialogs::Request::Kind::Save, QStringLiteral("Export EPCIS 2.0 document"),
         filedialogs::filterFromPairs(QStringLiteral("EPCIS JSON-LD|*.jsonld;*.json|EPCIS XML|*.xml|All files|*"))});
    if (path.isEmpty())
        return {};
    epc::EpcisRequest request;
    request.format = epc::formatForFileName(path);
    qint64 events = 0;
    // A long journal takes a moment, which the cursor says.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const QString error = files::saveStreamed(
        path, [&](const files::SaveWriter &write) { events = epc::writeEpcisDocument(*rows, request, write); });
    if (!error.isEmpty())
        throw UserError(error);
    return QStringLiteral("%1 commissioning event%2 written to %3 (EPCIS 2.0 %4)")
        .arg(events)
        .arg(events == 1 ? "" : "s", path,
             request.format == epc::EpcisFormat::Xml ? QStringLiteral("XML") : QStringLiteral("JSON-LD"));
}

} // namespace epcisexport
