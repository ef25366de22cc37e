#include "commission/sharedbatch.h"

#include "epc/epctext.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace commission
{

epc::SharedBatch sharedBatchOf(const BatchPlan &plan, epc::EpcSource &source)
{
    epc::SharedBatch batch;
    batch.size = source.size();
    switch (plan.source) {
    case SourceKind::Gs1: {
        const epc::Gs1Epc first = firstGs1(plan.first, plan.filter);
        const QString id = epc::idUri(first);
        batch.name = QStringLiteral("urn:epc:idpat:") + id.mid(id.indexOf(u':', 8) + 1).section(u'.', 0, -2) +
                     QStringLiteral(".*");
        batch.source = QStringLiteral("GS1 sequence from %1").arg(epc::tagUri(first));
        break;
    }
    case SourceKind::Hex: {
        const QString first = epc::toHex(*source.at(0));
        batch.name = QStringLiteral("hex:") + first;
        batch.source = QStringLiteral("hex sequence from %1, step %2%3")
                           .arg(first, plan.step.toUpper(), plan.reverse ? QStringLiteral(", reverse") : QString());
        break;
    }
    case SourceKind::List: {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const qint64 n = source.size().value_or(0);
        for (qint64 i = 0; i < n; ++i) {
            const QByteArray epc = *source.at(i);
            hash.addData(QByteArray(1, char(epc.size())) + epc);
        }
        batch.name = QStringLiteral("list:") + QFileInfo(plan.listPath).fileName();
        batch.source =
            QStringLiteral("list of %1 EPCs, SHA-256 %2").arg(n).arg(QString::fromLatin1(hash.result().toHex()));
        break;
    }
    }
    if (!plan.batchName.trimmed().isEmpty())
        batch.name = plan.batchName.trimmed();
    return batch;
}

} // namespace commission
