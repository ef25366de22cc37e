#include "cli/record.h"

namespace cli
{

void Record::add(const QString &key, const QJsonValue &value, const QString &text)
{
    fields_.append({key, value, text, true});
}

void Record::data(const QString &key, const QJsonValue &value)
{
    fields_.append({key, value, QString(), false});
}

void Record::hex(const QString &key, const QByteArray &bytes)
{
    add(key, hexText(bytes));
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace cli
