#include "cli/output.h"

#include "protocol/errorcodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli
{

namespace
{

// A JSON value as text: QJsonDocument takes only arrays and objects, so the value goes in an
// array and the brackets come off.
QString jsonText(const QJsonValue &value)
{
    const QByteArray a = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QString humanText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Double:
        return QString::number(value.toDouble());
    case QJsonValue::String:
        return value.toString().isEmpty() ? QStringLiteral("-") : value.toString();
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue &v : value.toArray())
            parts << humanText(v);
        return parts.isEmpty() ? QStringLiteral("(none)") : parts.join(QStringLiteral(", "));
    }
    case QJsonValue::Object:
        return jsonText(value);
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QStringLiteral("-");
    }
    return {};
}

QString label(const QString &key)
{
    QString l = key;
    return l.replace(QLatin1Char('_'), QLatin1Char(' '));
}

} // namespace

void Output::jsonLine(const QString &command, bool ok, const Record &record, const QList<Record::Field> &extra)
{
    endProgress();
    QString line = QStringLiteral("{\"command\":%1,\"ok\":%2").arg(jsonText(command), ok ? "true" : "false");
    for (const auto *fields : {&extra, &record.fields()})
        for (const Record::Field &f : *fields)
            line += QStringLiteral(",%1:%2").arg(jsonText(f.key), jsonText(f.value));
    out_ << line << "}\n";
    out_.flush();
}

void Output::success(const QString &command, const Record &record)
{
    if (json_)
        return jsonLine(command, true, record, {});
    endProgress();
    // A blank line between the reports of a session's commands.
    if (reported_)
        out_ << '\n';
    reported_ = true;
    if (record.fields().isEmpty() && record.notes().isEmpty())
        out_ << command << ": ok\n";
    for (const Record::Field &f : record.fields())
        if (f.human)
            out_ << label(f.key) << ": " << (f.text.isEmpty() ? humanText(f.value) : f.text) << '\n';
    for (const QString &n : record.notes())
        out_ << n << '\n';
    out_.flush();
}

void Output::failure(const QString &command, const QString &status, const QString &message,
                     std::optional<uint8_t> errorCode, const Record &record)
{
    if (json_) {
        QList<Record::Field> extra{{QStringLiteral("status"), status, {}}};
        if (errorCode) {
            extra.append({QStringLiteral("error_code"), hexText(QByteArray(1, char(*errorCode))), {}});
            extra.append({QStringLiteral("error_text"), protocol::errorText(errorCode), {}});
        }
        extra.append({QStringLiteral("error"), message, {}});
        jsonLine(command, false, record, extra);
    } else if (!record.fields().isEmpty() || !record.notes().isEmpty()) {
        success(command, record);
    }
    error(QStringLiteral("%1: %2").arg(command, message));
}

void Output::error(const QString &message)
{
    endProgress();
    err_ << "rfidctl: " << message << '\n';
    err_.flush();
}

void Output::text(const QString &text)
{
    endProgress();
    out_ << text;
    out_.flush();
}

void Output::progress(const QString &line)
{
    // Back to the line's start, the new text, the rest of the old one erased.
    err_ << '\r' << line << "\x1b[K";
    err_.flush();
    progressShown_ = true;
}

void Output::endProgress()
{
    if (!progressShown_)
        return;
    progressShown_ = false;
    err_ << '\n';
    err_.flush();
}

} // namespace cli
