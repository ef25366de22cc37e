#include "ui/filedialogs.h"

#include "link/errors.h"

#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QStringList>

namespace filedialogs
{
namespace
{
std::function<QString(const Request &)> &chooser()
{
    static std::function<QString(const Request &)> c;
    return c;
}
} // namespace

QString filterFromPairs(const QString &pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return filters.join(QStringLiteral(";;"));
}

QString choose(QWidget *parent, const Request &request)
{
    if (chooser())
        return chooser()(request);
    if (request.kind == Request::Kind::Open)
        return QFileDialog::getOpenFileName(parent, request.title, QString(), request.filter);
    return QFileDialog::getSaveFileName(parent, request.title, QString(), request.filter);
}

void setChooser(std::function<QString(const Request &)> c)
{
    chooser() = std::move(c);
}

void writeWhole(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw UserError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    if (file.write(data) != data.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw UserError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, why));
    }
    if (!file.commit())
        throw UserError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, file.errorString()));
}

QByteArray readWhole(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    // A device or a huge file would fill the memory: read one byte past the limit to tell.
    const QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes)
        throw UserError(QStringLiteral("File \"%1\" is larger than %2 bytes.").arg(path).arg(maxBytes));
    if (file.error() != QFileDevice::NoError)
        throw UserError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
    return data;
}

} // namespace filedialogs
