#include "epc/epcisdocument.h"

#include "epc/epcisjsonwriter.h"
#include "epc/epcisxmlwriter.h"
#include "epc/epctext.h"
#include "epc/gs1codec.h"
#include "base/clock.h"

#include <memory>

namespace epc
{

qint64 writeEpcisDocument(const VerifiedRows &rows, const EpcisRequest &request,
                          const std::function<void(QByteArrayView)> &out)
{
    ChunkSink sink(out);
    std::unique_ptr<EpcisWriter> writer;
    if (request.format == EpcisFormat::Xml)
        writer = std::make_unique<EpcisXmlWriter>(sink, request.place);
    else
        writer = std::make_unique<EpcisJsonWriter>(sink, request.place);
    writer->begin(appclock::now());
    qint64 events = 0;
    CommissioningEvent event;
    rows.forEach(request.since, [&](const VerifiedTag &tag) {
        const Decoded decoded = decode(tag.epc);
        event.epcUri = decoded.gs1 ? decoded.idUri : rawUri(tag.epc);
        event.time = tag.time;
        writer->event(event);
        ++events;
    });
    writer->end();
    return events;
}

EpcisFormat formatForFileName(const QString &path)
{
    return path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ? EpcisFormat::Xml : EpcisFormat::JsonLd;
}

QString formatWord(EpcisFormat format)
{
    return format == EpcisFormat::Xml ? QStringLiteral("xml") : QStringLiteral("json");
}

QByteArray mediaType(EpcisFormat format)
{
    return format == EpcisFormat::Xml ? QByteArrayLiteral("application/xml") : QByteArrayLiteral("application/ld+json");
}

} // namespace epc
