#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class TComm;

namespace cli
{

// The UHF module's serial line for one command: the port opened with the window's line
// settings (8 data bits, no parity, one stop bit, a block ends after 100 ms of silence) and
// closed again when this goes.
class SerialLine
{
public:
    // Throws NoReader when the port cannot be opened.
    SerialLine(const QString &path, quint32 baud);
    ~SerialLine();

    // Writes frame and returns the first block that arrives after it within waitMs (empty
    // when none came or the line hung up).
    QByteArray exchange(const QByteArray &frame, int waitMs);

private:
    std::unique_ptr<TComm> comm_;
    QByteArray block_;
    quint64 blocks_ = 0;
    bool hungUp_ = false;
};

} // namespace cli
