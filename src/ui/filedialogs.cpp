#include "ui/filedialogs.h"

#include "base/errors.h"
#include "files/places.h"
#include "files/read.h"
#include "files/save.h"
#include "ui/nameonlyiconprovider.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
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

QString &lastFolder()
{
    static QString folder;
    return folder;
}

// One for the whole run and never destroyed: a dialog's file-information thread may still
// be using it while the dialog goes away.
NameOnlyIconProvider *iconProvider()
{
    static auto *provider = new NameOnlyIconProvider;
    return provider;
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

Request saveReceivedData()
{
    return {Request::Kind::Save, QStringLiteral("保存接收数据！"),
            filterFromPairs(QStringLiteral("文本文件(.txt)|*.txt"))};
}

QString startFolder()
{
    for (const QString &folder :
         {lastFolder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()})
        if (files::isNormalWritableFolder(folder))
            return QDir(folder).absolutePath();
    return QDir::tempPath();
}

void remember(const QString &chosenFile)
{
    lastFolder() = QFileInfo(chosenFile).absolutePath();
}

std::unique_ptr<QFileDialog> makeDialog(QWidget *parent, const Request &request)
{
    auto dialog = std::make_unique<QFileDialog>(parent, request.title, startFolder(), request.filter);
    // A desktop's own dialog may guess types from contents; ours takes the icon provider.
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog->setIconProvider(iconProvider());
    if (request.kind == Request::Kind::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        if (request.kind == Request::Kind::Append)
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    return dialog;
}

QString choose(QWidget *parent, const Request &request)
{
    if (chooser())
        return chooser()(request);
    const auto dialog = makeDialog(parent, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    const QString path = dialog->selectedFiles().constFirst();
    remember(path);
    return path;
}

void setChooser(std::function<QString(const Request &)> c)
{
    chooser() = std::move(c);
}

void writeWhole(const QString &path, const QByteArray &data)
{
    if (const QString error = files::saveWhole(path, data); !error.isEmpty())
        throw UserError(error);
}

QByteArray readWhole(const QString &path, qint64 maxBytes)
{
    files::ReadResult result = files::readWhole(path, maxBytes);
    if (!result.error.isEmpty())
        throw UserError(result.error);
    return std::move(result.data);
}

} // namespace filedialogs
