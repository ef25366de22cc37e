#include "ui/nameonlyiconprovider.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

NameOnlyIconProvider::NameOnlyIconProvider()
{
    QStyle *style = QApplication::style();
    computer_ = style->standardIcon(QStyle::SP_ComputerIcon);
    drive_ = style->standardIcon(QStyle::SP_DriveHDIcon);
    folder_ = style->standardIcon(QStyle::SP_DirIcon);
    file_ = style->standardIcon(QStyle::SP_FileIcon);
}

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    switch (type) {
    case Computer:
        return computer_;
    case Drive:
    case Network:
        return drive_;
    case Folder:
    case Desktop:
    case Trashcan:
        return folder_;
    case File:
        break;
    }
    return file_;
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return drive_;
    return info.isDir() ? folder_ : file_;
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (info.isRoot())
        return QStringLiteral("Drive");
    if (info.isDir())
        return QStringLiteral("Folder");
    // A FIFO, device or socket: what it would give is nobody's business here.
    if (!info.isFile())
        return QStringLiteral("Special file");
    const QList<QMimeType> byName = QMimeDatabase().mimeTypesForFileName(info.fileName());
    if (byName.isEmpty())
        return QStringLiteral("File");
    return byName.first().comment().isEmpty() ? byName.first().name() : byName.first().comment();
}
