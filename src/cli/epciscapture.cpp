#include "cli/epciscapture.h"

#include "cli/failures.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace cli::epcis
{
namespace
{

// Of an answer's body only its start is kept: a repository explains a refusal in its first
// lines, and a body without end must not fill the memory.
constexpr qint64 kKeptBodyBytes = 64 * 1024;
constexpr qsizetype kShownLineChars = 300;

// The first line of an untrusted body, without control characters, cut to a readable length.
QString firstLine(const QByteArray &body)
{
    const qsizetype end = body.indexOf('\n');
    QString line = QString::fromUtf8(end < 0 ? body : body.left(end)).trimmed();
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    if (line.size() > kShownLineChars)
        line = line.left(kShownLineChars) + QStringLiteral("...");
    return line;
}

QString hostAndPort(const QUrl &url)
{
    return QStringLiteral("%1:%2").arg(url.host()).arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

} // namespace

QUrl captureEndpoint(const QUrl &repository)
{
    QUrl endpoint = repository;
    QString path = repository.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (!path.endsWith(QLatin1String("/capture")))
        path += QStringLiteral("/capture");
    endpoint.setPath(path);
    return endpoint;
}

Accepted post(const QUrl &endpoint, QIODevice &body, qint64 size, const QByteArray &mediaType, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, mediaType);
    request.setHeader(QNetworkRequest::ContentLengthHeader, size);
    request.setRawHeader("GS1-EPCIS-Version", "2.0.0");
    request.setRawHeader("GS1-CBV-Version", "2.0.0");
    body.seek(0);
    QNetworkReply *reply = manager.post(request, &body);

    QByteArray answer;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        const QByteArray piece = reply->readAll();
        answer += piece.left(qMax<qint64>(0, kKeptBodyBytes - answer.size()));
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    timer.stop();
    answer += reply->readAll().left(qMax<qint64>(0, kKeptBodyBytes - answer.size()));

    const QString url = endpoint.toString();
    if (timedOut)
        throw ReaderFailure(QStringLiteral("no_reply"),
                            QStringLiteral("no answer from %1 within %2 s; nothing is known of the document's fate.")
                                .arg(url)
                                .arg(timeoutMs / 1000.0));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        const QString text = QStringLiteral("%1 %2")
                                 .arg(status.toInt())
                                 .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        if (status.toInt() == 202) {
            const QByteArray location = reply->rawHeader("Location");
            return {text.trimmed(),
                    location.isEmpty() ? QString() : endpoint.resolved(QUrl::fromEncoded(location)).toString()};
        }
        const QString line = firstLine(answer);
        throw ReaderFailure(QStringLiteral("refused"),
                            QStringLiteral("%1 answered %2%3")
                                .arg(url, text.trimmed(),
                                     line.isEmpty() ? QStringLiteral(" (no body).") : QStringLiteral(": ") + line));
    }
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        throw ReaderFailure(QStringLiteral("failed"), QStringLiteral("connection refused by %1: is the repository "
                                                                     "running at %2?")
                                                          .arg(hostAndPort(endpoint), url));
    case QNetworkReply::HostNotFoundError:
        throw ReaderFailure(QStringLiteral("failed"),
                            QStringLiteral("host %1 not found (%2).").arg(endpoint.host(), url));
    default:
        break;
    }
    throw ReaderFailure(QStringLiteral("failed"), QStringLiteral("%1: %2.").arg(url, reply->errorString()));
}

} // namespace cli::epcis
