#include "ui/logpane.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

LogPane::LogPane(QWidget *parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("RichEdit1"));
    setAcceptRichText(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUndoRedoEnabled(true);
}

void LogPane::add(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    const QStringList parts = text.split(breaks);

    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();

    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    c.beginEditBlock();
    const bool fresh = document()->characterCount() <= 1;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0 || !fresh)
            c.insertBlock();
        c.insertText(parts[i]);
    }
    c.endEditBlock();
    // Follow the newest line unless the user scrolled back to read.
    if (atEnd)
        bar->setValue(bar->maximum());
}

QStringList LogPane::lines() const
{
    QStringList out;
    if (document()->characterCount() <= 1)
        return out;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}
