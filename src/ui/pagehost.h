#pragma once

#include <QString>

class ReaderLink;

// The serial line as the pages see it.
class SerialLine
{
public:
    virtual ~SerialLine() = default;
    // Writes the whole digit pairs of text to the open port, unchanged.
    virtual void Send232HEX(const QString &text) = 0;
    // The newest block received, as upper-case hex pairs.
    virtual const QString &SerialReplyHex() const = 0;
    // How many blocks have arrived since start-up, so a handler can wait for one after its send.
    virtual quint64 blocksReceived() const = 0;
    // Closes the port as the Close button does.
    virtual void Button2Click() = 0;
    // Why the port is closed when it closed by itself because the device went away; empty
    // while it is open or was closed by the user.
    virtual QString closedBecause() const = 0;
};

// What the main window offers every page: the USB link, the log pane, and the few controls
// that pages share but do not own.
class PageHost
{
public:
    virtual ~PageHost() = default;

    virtual ReaderLink &link() = 0;
    // One addition to the log pane.
    virtual void log(const QString &text) = 0;

    // RadioButton18 "大蜂鸣器" of the hidden buzzer group.
    virtual bool bigBuzzer() const = 0;
    // The pause of the HF repeat loops: Edit22 as a decimal integer (throws UserError).
    virtual int hfPause() const = 0;
    // Selects item index of setadd, the device address of every later HF frame.
    virtual void selectDeviceAddress(int index) = 0;
    // Shows the card-memory window modally.
    virtual void showCardMemory() = 0;

    virtual SerialLine &serial() = 0;
};
