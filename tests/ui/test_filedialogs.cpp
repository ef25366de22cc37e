#include "support/fifo.h"
#include "ui/filedialogs.h"
#include "ui/nameonlyiconprovider.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// A folder holding a FIFO with no writer beside a plain file.
struct FolderWithFifo {
    FolderWithFifo()
    {
        QFile f(dir.filePath(QStringLiteral("notes.txt")));
        if (f.open(QIODevice::WriteOnly))
            f.write("notes\n");
    }
    QTemporaryDir dir;
    Fifo kmsg{dir.filePath(QStringLiteral("kmsg"))};
    QString fifo = kmsg.path;
};

TEST(FileDialogs, IconsAndTypesComeFromNamesAndNeverWaitOnAFifo)
{
    FolderWithFifo folder;
    NameOnlyIconProvider provider;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(provider.type(QFileInfo(folder.fifo)), QStringLiteral("Special file"));
    EXPECT_FALSE(provider.icon(QFileInfo(folder.fifo)).isNull());
    EXPECT_EQ(provider.type(QFileInfo(folder.dir.path())), QStringLiteral("Folder"));
    EXPECT_FALSE(provider.type(QFileInfo(folder.dir.filePath(QStringLiteral("notes.txt")))).isEmpty());

    // The dialog's own model asks the provider for every shown column.
    QFileSystemModel model;
    model.setIconProvider(&provider);
    model.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    const QModelIndex root = model.setRootPath(folder.dir.path());
    while (model.rowCount(root) < 2 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(model.rowCount(root), 2);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < model.columnCount(root); ++column) {
            model.data(model.index(row, column, root), Qt::DisplayRole);
            model.data(model.index(row, column, root), Qt::DecorationRole);
        }
    EXPECT_FALSE(folder.kmsg.waitedOn()) << "nothing waited for the FIFO";
}

TEST(FileDialogs, StartInANormalFolderAndRememberOnlyThose)
{
    QTemporaryDir chosen;
    const QString fallback = filedialogs::startFolder();
    EXPECT_FALSE(fallback.startsWith(QStringLiteral("/proc")));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (QFileInfo(documents).isDir()) {
        EXPECT_EQ(fallback, documents);
    }

    filedialogs::remember(chosen.filePath(QStringLiteral("log.txt")));
    EXPECT_EQ(filedialogs::startFolder(), chosen.path());
    for (const char *system : {"/proc/x", "/sys/kernel/x", "/etc/x", "/x"}) {
        filedialogs::remember(QString::fromLatin1(system));
        EXPECT_EQ(filedialogs::startFolder(), fallback) << system;
    }

    filedialogs::remember(chosen.filePath(QStringLiteral("log.txt")));
    const auto dialog = filedialogs::makeDialog(
        nullptr, {filedialogs::Request::Kind::Save, QStringLiteral("t"), QStringLiteral("Text (*.txt)")});
    EXPECT_EQ(QDir(dialog->directory()).absolutePath(), chosen.path());
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_NE(dynamic_cast<NameOnlyIconProvider *>(dialog->iconProvider()), nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QString()) << "no extension is added";
    filedialogs::remember(QStringLiteral("/proc/x"));
}

} // namespace
