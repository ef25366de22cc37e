#include "ui/logpane.h"

#include "files/sessionlog.h"
#include "pagekit/guard.h"
#include "ui/filedialogs.h"
#include "ui/rtfwriter.h"

#include <QContextMenuEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace
{
// Lines come in bursts (repeat loops, replies of several lines): the pane is drawn at most
// once a frame, not after every line, which would cost more than the exchange itself.
constexpr int kFrameMs = 16;
} // namespace

LogPane::LogPane(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("RichEdit1"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUndoRedoEnabled(true);

    contextMenu = new QMenu(this);
    contextMenu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char *name, const QString &caption, void (LogPane::*handler)()) {
        QAction *a = contextMenu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, handler] { guard::run([this, handler] { (this->*handler)(); }); });
        return a;
    };
    clearAction = item("MenuItem1", QStringLiteral("Clear"), &LogPane::MenuItem1Click);
    saveAction = item("MenuItem2", QStringLiteral("Save"), &LogPane::MenuItem2Click);
    contextMenu->addSeparator();
    undoAction = item("N15", QStringLiteral("Revoke"), &LogPane::N15Click);
    selectAllAction = item("N20", QStringLiteral("Select all"), &LogPane::N20Click);
    contextMenu->addSeparator();
    cutAction = item("N17", QStringLiteral("Shear"), &LogPane::N17Click);
    copyAction = item("N18", QStringLiteral("Copy"), &LogPane::N18Click);
    pasteAction = item("N19", QStringLiteral("Paste"), &LogPane::N19Click);
}

void LogPane::add(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    const QStringList parts = text.split(breaks);
    if (sessionLog_ && parts.size() == 1)
        sessionLog_->append(text);
    else if (sessionLog_)
        sessionLog_->append(parts.join(QLatin1Char('\n')));

    QScrollBar *bar = verticalScrollBar();
    const bool follow = followPending_ || bar->value() == bar->maximum();
    if (!paintHeld_) {
        paintHeld_ = true;
        setUpdatesEnabled(false);
        QTimer::singleShot(kFrameMs, this, [this] {
            paintHeld_ = false;
            setUpdatesEnabled(true);
        });
    }

    // The tool's own lines are not the user's edits: Revoke undoes only what the user typed
    // since the last line came, and the pane keeps no undo history of a long log.
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    // Inside an edit block the cursor does not ask the layout for its x position, which
    // would lay out every line not yet laid out.
    c.beginEditBlock();
    c.movePosition(QTextCursor::End);
    const bool fresh = doc->characterCount() <= 1;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0 || !fresh)
            c.insertBlock();
        c.insertText(parts[i]);
    }
    c.endEditBlock();
    doc->setUndoRedoEnabled(true);
    if (doc->blockCount() > kMaxLines)
        trimTo(kMaxLines - kTrimBatch);
    // Follow the newest line unless the user scrolled back to read; once per burst of lines,
    // when the window gets to draw.
    if (follow && !followPending_) {
        followPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                followPending_ = false;
                verticalScrollBar()->setValue(verticalScrollBar()->maximum());
            },
            Qt::QueuedConnection);
    }
}

void LogPane::trimTo(int lines)
{
    QTextDocument *doc = document();
    const int drop = doc->blockCount() - lines;
    if (drop <= 0)
        return;
    // A reader scrolled back keeps the same lines in view; one at the end stays there.
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int top = bar->value();
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    c.beginEditBlock();
    c.setPosition(doc->findBlockByNumber(drop).position(), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.endEditBlock();
    doc->setUndoRedoEnabled(true);
    if (!atEnd)
        bar->setValue(qMax(0, top - drop));
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

void LogPane::saveTo(const QString &path) const
{
    rtf::Font f;
    f.family = font().family();
    f.pointSize = font().pointSize() > 0 ? font().pointSize() : qMax(1, font().pixelSize() * 3 / 4);
    filedialogs::writeWhole(path, rtf::fromLines(lines(), f));
}

void LogPane::contextMenuEvent(QContextMenuEvent *event)
{
    contextMenu->popup(event->globalPos());
    event->accept();
}

void LogPane::MenuItem1Click()
{
    clear();
}

void LogPane::MenuItem2Click()
{
    const QString path = filedialogs::choose(this, filedialogs::saveReceivedData());
    if (!path.isEmpty())
        saveTo(path);
}

void LogPane::N15Click()
{
    undo();
}

void LogPane::N20Click()
{
    selectAll();
}

void LogPane::N17Click()
{
    cut();
}

void LogPane::N18Click()
{
    copy();
}

void LogPane::N19Click()
{
    paste();
}
