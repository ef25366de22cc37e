#pragma once

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringList>

class QTimer;
class SessionLog;

// The log pane RichEdit1. add() is one addition: a CR LF, a lone CR or a lone LF inside or at
// the end of the text breaks the line, so "message + time + CR LF" shows as the line and an
// empty line after it. The user may edit it. A plain-text editor underneath: its layout
// costs the same per line at a hundred thousand lines as at ten, where the rich-text layout
// grows with the document.
//
// The pane keeps at most the last kMaxLines lines: when a line would pass the limit, the
// oldest go in one batch, kTrimBatch lines below it (one removal instead of one per line).
// Every line added also goes to the session log, which keeps them all.
class LogPane : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LogPane(QWidget *parent = nullptr);

    void add(const QString &text);
    // The pane's lines, as the user sees them (an empty pane has none).
    QStringList lines() const;

    // The pane as a Rich Text file, written whole or not at all (throws UserError).
    void saveTo(const QString &path) const;

    // Where every line added from now on goes too (null: nowhere); not owned.
    void setSessionLog(SessionLog *log) { sessionLog_ = log; }
    SessionLog *sessionLog() const { return sessionLog_; }

    static constexpr int kMaxLines = 100000;
    static constexpr int kTrimBatch = 10000;

    // The context menu (PopupMenu1) and its handlers.
    void MenuItem1Click(); // Clear
    void MenuItem2Click(); // Save
    void N15Click();       // Revoke
    void N20Click();       // Select all
    void N17Click();       // Shear
    void N18Click();       // Copy
    void N19Click();       // Paste

    QMenu *contextMenu;
    QAction *clearAction, *saveAction, *undoAction, *selectAllAction, *cutAction, *copyAction, *pasteAction;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void trimTo(int lines);

    bool followPending_ = false;
    bool paintHeld_ = false;
    SessionLog *sessionLog_ = nullptr;
};
