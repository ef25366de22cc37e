#pragma once

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStringList>

// The log pane RichEdit1. add() is one addition: a CR LF, a lone CR or a lone LF inside or at
// the end of the text breaks the line, so "message + time + CR LF" shows as the line and an
// empty line after it. The pane has no size limit; the user may edit it. A plain-text editor
// underneath: its layout costs the same per line at a hundred thousand lines as at ten, where
// the rich-text layout grows with the document.
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

    // PopupMenu1
    void MenuItem1Click(); // Clear
    void MenuItem2Click(); // Save
    void N15Click();       // Revoke
    void N20Click();       // Select all
    void N17Click();       // Shear
    void N18Click();       // Copy
    void N19Click();       // Paste

    QMenu *PopupMenu1;
    QAction *MenuItem1, *MenuItem2, *N15, *N20, *N17, *N18, *N19;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool followPending_ = false;
    bool paintHeld_ = false;
};
