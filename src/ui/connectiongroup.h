#pragma once

#include "ui/pagehost.h"

#include <QGroupBox>

// "Communication information": the serial port choice and connection (GroupBox1).
class ConnectionGroup : public QGroupBox, public SerialLine
{
    Q_OBJECT
public:
    explicit ConnectionGroup(PageHost &host, QWidget *parent = nullptr);
    ~ConnectionGroup() override;

    void Send232HEX(const QString &text) override;
    const QString &SerialReplyHex() const override { return serialReplyHex_; }
    quint64 blocksReceived() const override { return blocks_; }

    // The serial part of a tab change: rescan the ports, rewrite the port name and baud rate.
    void PageControl1Change();
    // The window closes: close the port, ignoring errors.
    void FormClose();

private:
    PageHost &host_;
    QString serialReplyHex_;
    quint64 blocks_ = 0;
};
