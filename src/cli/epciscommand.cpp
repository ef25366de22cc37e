#include "cli/commandkit.h"
#include "cli/epciscapture.h"
#include "epc/epcisdocument.h"
#include "epc/isotime.h"
#include "epc/uricheck.h"
#include "files/save.h"

#include <QTemporaryFile>
#include <memory>

namespace cli
{

namespace
{

// A repository takes a while for a large document; --timeout replaces this.
constexpr int kCaptureTimeoutMs = 30000;

// Where the document goes: standard output, a file, or a repository's capture endpoint.
struct Destination {
    QString outPath;
    QUrl captureEndpoint;
};

struct Export {
    std::shared_ptr<const epc::VerifiedRows> rows;
    epc::EpcisRequest request;
    Destination to;
};

QUrl repositoryUrl(CommandArgs &args, const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        args.fail(QStringLiteral("--capture must be the http:// or https:// URL of an EPCIS repository, such as "
                                 "https://epcis.example.com/, not '%1'.")
                      .arg(text));
    return url;
}

Export readExport(CommandArgs &args)
{
    args.done();
    Export e;
    const auto journal = args.value(QStringLiteral("journal"));
    if (!journal || journal->trimmed().isEmpty())
        args.fail(QStringLiteral("--journal FILE|URI is missing: the journal of the batches whose tags the "
                                 "document tells of, a CSV file or a shared journal's postgresql:// URI."));
    for (const auto &[option, uri] : {std::pair{QStringLiteral("read-point"), &e.request.place.readPoint},
                                      std::pair{QStringLiteral("biz-location"), &e.request.place.bizLocation}})
        if (const auto v = args.value(option)) {
            checked(args, QString(), [&] {
                epc::checkUri(*v, QStringLiteral("--") + option);
                return true;
            });
            *uri = *v;
        }
    if (const auto since = args.value(QStringLiteral("since")))
        e.request.since = checked(args, QString(), [&] { return epc::parseTime(*since, QStringLiteral("--since")); });
    const auto out = args.value(QStringLiteral("out"));
    const auto capture = args.value(QStringLiteral("capture"));
    if (out && capture)
        args.fail(QStringLiteral("--out and --capture exclude each other: the document goes to a file or to a "
                                 "repository."));
    if (out && out->isEmpty())
        args.fail(QStringLiteral("--out needs a file name."));
    if (const auto format = args.value(QStringLiteral("format")))
        e.request.format = args.choice(*format, QStringLiteral("--format"),
                                       {QStringLiteral("json"), QStringLiteral("xml")}) == QLatin1String("xml")
                               ? epc::EpcisFormat::Xml
                               : epc::EpcisFormat::JsonLd;
    else if (out)
        e.request.format = epc::formatForFileName(*out);
    e.to.outPath = out.value_or(QString());
    if (capture)
        e.to.captureEndpoint = epcis::captureEndpoint(repositoryUrl(args, *capture));
    // Last: the journal is looked at (not read) once every other argument is good.
    e.rows = checked(args, QStringLiteral("--journal"),
                     [&] { return std::shared_ptr<const epc::VerifiedRows>(epc::openVerifiedRows(*journal)); });
    return e;
}

Record report(const Export &e, qint64 events, const QString &where)
{
    Record r;
    r.data(QStringLiteral("events"), double(events));
    r.data(QStringLiteral("format"), epc::formatWord(e.request.format));
    r.note(QStringLiteral("%1 commissioning event%2 %3").arg(events).arg(events == 1 ? "" : "s", where));
    return r;
}

Record capture(const Export &e, Session &s)
{
    // The document goes to a file of its own first, so that a long journal is never held in
    // memory and a malformed row stops the export before anything is sent.
    QTemporaryFile file;
    if (!file.open())
        throw ReaderFailure(
            QStringLiteral("failed"),
            QStringLiteral("cannot make a temporary file for the document: %1.").arg(file.errorString()));
    const qint64 events = epc::writeEpcisDocument(*e.rows, e.request, [&file](QByteArrayView piece) {
        if (file.write(piece.data(), piece.size()) != piece.size())
            throw ReaderFailure(QStringLiteral("failed"),
                                QStringLiteral("cannot write the document to the temporary file %1: %2.")
                                    .arg(file.fileName(), file.errorString()));
    });
    if (!file.flush())
        throw ReaderFailure(QStringLiteral("failed"),
                            QStringLiteral("cannot write the document to the temporary file %1: %2.")
                                .arg(file.fileName(), file.errorString()));
    const QString url = e.to.captureEndpoint.toString();
    const epcis::Accepted accepted =
        epcis::post(e.to.captureEndpoint, file, file.size(), epc::mediaType(e.request.format),
                    s.options().timeoutMs.value_or(kCaptureTimeoutMs));
    Record r = report(e, events, QStringLiteral("captured by %1: %2").arg(url, accepted.status));
    r.data(QStringLiteral("capture"), url);
    r.data(QStringLiteral("status"), accepted.status);
    r.data(QStringLiteral("location"), accepted.location.isEmpty() ? QJsonValue() : QJsonValue(accepted.location));
    r.note(accepted.location.isEmpty() ? QStringLiteral("the repository named no capture job")
                                       : QStringLiteral("capture job: %1").arg(accepted.location));
    return r;
}

std::optional<Record> exportDocument(const Export &e, Session &s)
{
    if (!e.to.captureEndpoint.isEmpty())
        return capture(e, s);
    if (e.to.outPath.isEmpty()) {
        // The document is the output, also with --json; pieces end between whole texts, so
        // no UTF-8 character is split.
        epc::writeEpcisDocument(*e.rows, e.request,
                                [&s](QByteArrayView piece) { s.output().text(QString::fromUtf8(piece)); });
        return std::nullopt;
    }
    qint64 events = 0;
    const QString error = files::saveStreamed(e.to.outPath, [&](const files::SaveWriter &write) {
        events = epc::writeEpcisDocument(*e.rows, e.request, write);
    });
    if (!error.isEmpty())
        throw ReaderFailure(QStringLiteral("failed"), error);
    Record r = report(e, events, QStringLiteral("written to %1").arg(e.to.outPath));
    r.data(QStringLiteral("out"), e.to.outPath);
    return r;
}

Action epcisAction()
{
    return {.name = QStringLiteral("epcis"),
            .args = QStringLiteral("--journal FILE|URI [--read-point URI] [--biz-location URI] [--since TIME] "
                                   "[--format json|xml] [--out FILE | --capture URL]"),
            .summary = QStringLiteral("Write the EPCIS 2.0 document of the tags a journal shows commissioned."),
            .help = QStringLiteral(
                "One ObjectEvent for every tag the journal of `epc batch` shows verified (a CSV file, or every "
                "station's rows of a shared journal given by its postgresql:// URI): action ADD, business step "
                "commissioning, disposition active, the EPC as its pure-identity URI (urn:epc:id:sgtin:...) or, when "
                "no GS1 scheme decodes it, its raw URI (urn:epc:raw:96.x...), the row's time and UTC offset as the "
                "event's time, and --read-point and --biz-location when given. Rows written without verification and "
                "failed rows make no event; an index verified twice makes one. --since keeps the tags recorded at "
                "or after an ISO 8601 time (2024-05-01T10:00:00+02:00; a date, its midnight; without an offset, "
                "this computer's time zone).\n\n"
                "The document is JSON-LD, or XML with --format xml or an --out file ending in .xml. It goes to "
                "standard output (also with --json), to the file --out names (replaced only once it is whole: a "
                "failed write leaves the old file and says why), or with --capture to an EPCIS 2.0 repository, "
                "posted to the URL with /capture appended unless it ends with it; the repository's answer is "
                "printed: 202 Accepted and the capture job it names, or what came instead. The repository gets 30 s "
                "to answer (--timeout replaces that). With --json a file or a capture prints the events, the "
                "format and the answer. Needs no reader. Exit status 1 when the file cannot be written or the "
                "repository does not accept the document."),
            .options = {option("journal", "FILE|URI", "The journal of the batches: a CSV file or a postgresql:// URI."),
                        option("read-point", "URI", "Where the tags were written: the events' read point."),
                        option("biz-location", "URI", "Where the tags are after it: the events' business location."),
                        option("since", "TIME", "Only tags recorded at or after this ISO 8601 time."),
                        option("format", "json|xml", "JSON-LD (json, the default) or XML."),
                        option("out", "FILE", "Write the document to this file instead of standard output."),
                        option("capture", "URL", "Post the document to this EPCIS repository instead.")},
            .fileArgument = true,
            .prepare = [](CommandArgs &args) -> Runner {
                const auto e = std::make_shared<const Export>(readExport(args));
                return [e](Session &s) { return exportDocument(*e, s); };
            }};
}

} // namespace

Family epcisFamily()
{
    return {QStringLiteral("epc"), QString(), QString(), {epcisAction()}};
}

} // namespace cli
