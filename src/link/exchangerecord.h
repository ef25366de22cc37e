#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>

// One exchange as the frame trace shows it.
struct ExchangeRecord {
    enum class Channel { Usb, Serial };
    enum class Outcome {
        Answered,   // a reply came
        NoAnswer,   // nothing within the wait
        NoReader,   // the frame could not be written
        Gone,       // the reader went away during the exchange
        TooLong,    // refused before sending: longer than the reader takes
        Superseded, // another command started inside this one's wait
    };

    QDateTime time; // when the frame went out (the application clock)
    Channel channel = Channel::Usb;
    QByteArray sent;
    QByteArray reply;
    qint64 latencyUs = 0; // from the write to the reply, or to the end of the wait
    Outcome outcome = Outcome::NoAnswer;
    int command = -1; // the command table's row when a typed call sent it, else -1
};

Q_DECLARE_METATYPE(ExchangeRecord)
