#pragma once

#include "link/usbtransport.h"

#include <QByteArray>

// A reader that answers every frame at once with the same reply, or never (empty answer):
// what remains of an exchange against it is the tool's own work.
class InstantTransport : public SyncUsbTransport
{
public:
    explicit InstantTransport(QByteArray answer = QByteArray::fromHex("AA00010001BB")) : answer_(std::move(answer)) {}

    void setAnswer(QByteArray answer) { answer_ = std::move(answer); }

    int write(const QByteArray &frame) override;
    QByteArray read(int timeoutMs) override;
    QString description() const override { return QStringLiteral("instant reader"); }

    qint64 writes() const { return writes_; }

private:
    QByteArray answer_;
    bool pending_ = false;
    qint64 writes_ = 0;
};
