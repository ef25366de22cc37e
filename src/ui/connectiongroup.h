#pragma once

#include "pagekit/pagehost.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

class TComm;

// "Communication information": the serial port choice and connection (GroupBox1), and the
// window's serial port Comm1 with its receive buffer.
class ConnectionGroup : public QGroupBox, public SerialLine
{
    Q_OBJECT
public:
    explicit ConnectionGroup(PageHost &host, QWidget *parent = nullptr);
    ~ConnectionGroup() override;

    // SerialLine
    void Send232HEX(const QString &text) override;
    void sendBlock(const QByteArray &bytes) override;
    const QByteArray &lastBlock() const override { return lastBlock_; }
    const QString &SerialReplyHex() const override { return serialReplyHex_; }
    quint64 blocksReceived() const override { return blocks_; }
    void Button2Click() override; // Close
    QString closedBecause() const override { return closedBecause_; }

    void Button1Click(); // Open
    void ComboBox1Change();
    void ComboBox2Change();
    // Lists the ports that open exclusively now; FirstCom names the first or "none".
    void GetCom();
    void Comm1ReceiveData(TComm *Sender, const char *Buffer, quint16 BufferLength);
    // The device went away under the open port: say so and close it as Close does.
    void Comm1RequestHangup();
    // The driver counted line errors (parity, framing, overrun, break): say which.
    void Comm1ReceiveError(quint32 EventMask);

    // The serial part of a tab change: rescan the ports, rewrite the port name and baud rate.
    void PageControl1Change();
    // The window closes: close the port, ignoring errors.
    void FormClose();

    QString FirstCom() const { return firstCom_; }

    // The most bytes one Send232HEX hands to the port (its count is 16 bits).
    static constexpr int kMaxSendBytes = 65535;

    QLabel *Label1, *Label2;
    QComboBox *ComboBox1, *ComboBox2;
    QPushButton *Button1, *Button2;
    TComm *Comm1;

private:
    PageHost &host_;
    QString firstCom_;
    QByteArray lastBlock_;
    QString serialReplyHex_;
    quint64 blocks_ = 0;
    QString closedBecause_;
};
