#include "protocol/describe.h"

#include "protocol/errorcodes.h"
#include "protocol/reply.h"

#include <QStringDecoder>
#include <QStringList>

namespace protocol::describe
{

QString hex(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString byteAt(const QByteArray &bytes, int k)
{
    if (k < 0 || k >= bytes.size())
        return QStringLiteral("?");
    return QString::fromLatin1(bytes.mid(k, 1).toHex().toUpper());
}

QString fields(std::initializer_list<std::pair<const char *, QString>> items)
{
    QStringList parts;
    for (const auto &[name, value] : items)
        if (!value.isEmpty())
            parts << QStringLiteral("%1=%2").arg(QLatin1String(name), value);
    return parts.join(QLatin1Char(' '));
}

QString readerReply(const QByteArray &frame)
{
    const ReaderReply r(frame);
    switch (r.status()) {
    case Status::NoReply:
        return QStringLiteral("no reply");
    case Status::Success:
        return r.data().isEmpty() ? QStringLiteral("ok") : QStringLiteral("ok data=%1").arg(hex(r.data()));
    case Status::Refused: {
        const auto code = r.errorCode();
        const QString meaning = errorText(code);
        return QStringLiteral("refused %1%2")
            .arg(code ? byteAt(frame, 4) : QStringLiteral("(no code)"),
                 meaning.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(meaning));
    }
    case Status::Damaged:
        return QStringLiteral("damaged (status %1)").arg(byteAt(frame, ReaderReply::kStatusByte));
    }
    return {};
}

QString readerReplyWith(const QByteArray &frame,
                        std::initializer_list<std::pair<const char *, std::pair<int, int>>> spans)
{
    const ReaderReply r(frame);
    if (r.status() != Status::Success)
        return readerReply(frame);
    QStringList parts{QStringLiteral("ok")};
    for (const auto &[name, range] : spans) {
        const int last = range.second < 0 ? r.size() + range.second : range.second;
        const QByteArray b = r.span(range.first, last);
        if (!b.isEmpty())
            parts << QStringLiteral("%1=%2").arg(QLatin1String(name), hex(b));
    }
    return parts.join(QLatin1Char(' '));
}

QString rawParams(const QByteArray &params)
{
    return params.isEmpty() ? QString() : QStringLiteral("data=%1").arg(hex(params));
}

QString noParams(const QByteArray &params)
{
    return params.isEmpty() ? QString() : QStringLiteral("extra=%1").arg(hex(params));
}

QString text(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString t = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : t;
}

} // namespace protocol::describe

namespace protocol::describe
{

QString textReply(const QByteArray &frame, const char *name)
{
    const ReaderReply r(frame);
    return r.status() == Status::Success ? QStringLiteral("ok %1=\"%2\"").arg(QLatin1String(name), text(r.data()))
                                         : readerReply(frame);
}

} // namespace protocol::describe
