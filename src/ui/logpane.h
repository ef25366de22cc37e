#pragma once

#include <QStringList>
#include <QTextEdit>

// The log pane RichEdit1. add() is one addition: a CR LF, a lone CR or a lone LF inside or at
// the end of the text breaks the line, so "message + time + CR LF" shows as the line and an
// empty line after it.
class LogPane : public QTextEdit
{
    Q_OBJECT
public:
    explicit LogPane(QWidget *parent = nullptr);

    void add(const QString &text);
    // The pane's lines, as the user sees them (an empty pane has none).
    QStringList lines() const;
};
