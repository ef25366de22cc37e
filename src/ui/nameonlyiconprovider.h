#pragma once

#include <QAbstractFileIconProvider>
#include <QIcon>

// Icons and type names for the file dialogs from the names alone. The framework's own
// provider guesses a type from a file's first bytes, and reading a FIFO, a terminal or
// /proc/kmsg waits for data that may never come: the window would hang for good. Called on
// the dialog's file-information thread too, so it only hands out icons made beforehand.
class NameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    NameOnlyIconProvider();

    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

private:
    QIcon computer_, drive_, folder_, file_;
};
