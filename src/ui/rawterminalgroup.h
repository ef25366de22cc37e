#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

class PageHost;

// "发送信息": the raw terminal (GroupBox5), hidden on the serial page but complete: the send
// box goes to the reader as bytes, once or every period's milliseconds, and is loaded from and
// saved to a text file.
class RawTerminalGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit RawTerminalGroup(PageHost &host, QWidget *parent = nullptr);

    void Button3Click(); // send once
    void Button6Click(); // load
    void Button7Click(); // empty
    void Button5Click(); // save

    // The period field as milliseconds; throws UserError unless it is a whole number >= 0.
    int periodMs() const;

    // The lines of the send box as a list of lines (a last line break opens no line).
    QStringList sendBoxLines() const;
    void setSendBoxLines(const QStringList &lines);

    // A text file's lines, cut at CR LF, CR or LF.
    static QStringList linesOf(const QByteArray &file);

    QPlainTextEdit *sendBox;
    QPushButton *sendButton, *loadButton, *emptyButton, *saveButton;
    QCheckBox *autoSendBox;
    QLineEdit *periodEdit;
    QRadioButton *serialSendRadio, *usbSendRadio;

private:
    PageHost &host_;
};
