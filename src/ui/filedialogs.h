#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

// The open and save dialogs of the log pane and the raw terminal, and the file access behind
// them. Tests replace the chooser so that no dialog blocks.
namespace filedialogs
{

struct Request {
    // Append: a file to create or to add to, so an existing one is chosen without asking
    // whether to replace it.
    enum class Kind { Open, Save, Append };
    Kind kind = Kind::Open;
    QString title;
    QString filter; // Qt's form: "文本文件(.txt) (*.txt)"; empty: every file
};

// Qt's filter for pairs written "description|pattern|description|pattern".
QString filterFromPairs(const QString &pairs);

// The save dialog of received data, shared by the log pane and the send box.
Request saveReceivedData();

// The chosen file name, or an empty text when the user cancelled. No extension is added.
QString choose(QWidget *parent, const Request &request);
void setChooser(std::function<QString(const Request &)> chooser); // empty: the real dialogs

// The dialog choose() runs: the framework's own (the same on every desktop), never reading a
// file's contents to pick its icon or type, starting in startFolder().
std::unique_ptr<QFileDialog> makeDialog(QWidget *parent, const Request &request);
// The folder of the last file chosen in this run while it is a normal writable folder,
// else the user's documents folder (or home); never a system folder such as /proc.
QString startFolder();
// Notes the folder of a chosen file for the next dialog.
void remember(const QString &chosenFile);

// Replaces path with data only once all of it is written and flushed; on any failure the
// old file stays as it was and UserError says why (files::saveWhole).
void writeWhole(const QString &path, const QByteArray &data);

// The whole file; UserError when it cannot be read, is not a regular file (a device, FIFO
// or kernel file, which are never read) or is larger than maxBytes.
QByteArray readWhole(const QString &path, qint64 maxBytes);

} // namespace filedialogs
