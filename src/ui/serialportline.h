#pragma once

#include "pagekit/pagehost.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QObject;
class TComm;

// The window's serial port Comm1 as the pages see it: opened and closed by the connection
// group's buttons, written by the UHF work-mode handlers, and keeping the newest block it
// received (every block also goes to the log).
class SerialPortLine : public SerialLine
{
public:
    // The port's component is a child of owner; the line's own lines go to host's log.
    SerialPortLine(PageHost &host, QObject *owner);
    ~SerialPortLine() override;

    // SerialLine
    void sendHexText(const QString &text) override;
    void sendBlock(const QByteArray &bytes) override;
    const QByteArray &lastBlock() const override { return lastBlock_; }
    const QString &lastBlockHex() const override { return lastBlockHex_; }
    quint64 blocksReceived() const override { return blocks_; }
    void close() override;
    QString closedBecause() const override { return closedBecause_; }

    // Opens the port; throws ECommsError, or UserError that also names the programs holding it.
    void open();
    // The window closes: close the port, ignoring errors.
    void closeQuietly();
    // Told after every open and close, whether the port is open now.
    std::function<void(bool open)> openChanged;

    void Comm1ReceiveData(TComm *Sender, const char *Buffer, quint16 BufferLength);
    // The device went away under the open port: say so and close it as Close does.
    void Comm1RequestHangup();
    // The driver counted line errors (parity, framing, overrun, break): say which.
    void Comm1ReceiveError(quint32 EventMask);

    // The most bytes one send hands to the port (its count is 16 bits).
    static constexpr int kMaxSendBytes = 65535;

    TComm *const port;

private:
    void tellOpen(bool open);

    PageHost &host_;
    QByteArray lastBlock_;
    QString lastBlockHex_;
    quint64 blocks_ = 0;
    QString closedBecause_;
};
