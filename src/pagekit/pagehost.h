#pragma once

#include <QByteArray>
#include <QString>

class QCheckBox;
class ReaderLink;

// The serial line as the pages see it.
class SerialLine
{
public:
    virtual ~SerialLine() = default;
    // Writes the bytes of the whole digit pairs of text to the open port, unchanged.
    virtual void sendHexText(const QString &text) = 0;
    // Writes bytes to the open port, unchanged.
    virtual void sendBlock(const QByteArray &bytes) = 0;
    // The newest block received, as bytes and as upper-case hex pairs.
    virtual const QByteArray &lastBlock() const = 0;
    virtual const QString &lastBlockHex() const = 0;
    // How many blocks have arrived since start-up, so a handler can wait for one after its send.
    virtual quint64 blocksReceived() const = 0;
    // Closes the port as the Close button does.
    virtual void close() = 0;
    // Why the port is closed when it closed by itself because the device went away; empty
    // while it is open or was closed by the user.
    virtual QString closedBecause() const = 0;
};

// What the main window offers every page: the USB link (with the settings every exchange
// needs), the log pane, the serial line, and the few things that pages share but do not own.
class PageHost
{
public:
    virtual ~PageHost() = default;

    virtual ReaderLink &link() = 0;
    // One addition to the log pane.
    virtual void log(const QString &text) = 0;
    // Empties the log pane.
    virtual void clearLog() = 0;

    // Selects item index of the device address list: the address of every later HF frame.
    virtual void selectDeviceAddress(int index) = 0;
    // Shows the card-memory window modally.
    virtual void showCardMemory() = 0;

    virtual SerialLine &serial() = 0;

    // A repeat box that a change of tab unticks.
    virtual void endOnTabChange(QCheckBox *box) = 0;
};
