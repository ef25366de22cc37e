#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

// The open and save dialogs of the log pane and the raw terminal, and the file access behind
// them. Tests replace the chooser so that no dialog blocks.
namespace filedialogs
{

struct Request {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter; // Qt's form: "文本文件(.txt) (*.txt)"; empty: every file
};

// Qt's filter for pairs written "description|pattern|description|pattern".
QString filterFromPairs(const QString &pairs);

// The chosen file name, or an empty text when the user cancelled. No extension is added.
QString choose(QWidget *parent, const Request &request);
void setChooser(std::function<QString(const Request &)> chooser); // empty: the real dialogs

// Replaces path with data only once all of it is written; on failure the old file stays as
// it was and UserError says why.
void writeWhole(const QString &path, const QByteArray &data);

// The whole file; UserError when it cannot be read or is larger than maxBytes.
QByteArray readWhole(const QString &path, qint64 maxBytes);

} // namespace filedialogs
