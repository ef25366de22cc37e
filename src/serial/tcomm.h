#pragma once

#include "serial/commtypes.h"
#include "serial/linesettings.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class CloseEvent;
class CommNotifier;
struct CommNotice;
class TReadThread;
class TWriteThread;

// One serial port: opens the device, applies the line settings and time-outs held in its
// properties, queues blocks for the write thread and raises the threads' notices as events
// on the thread that owns it. Every operation is for that thread only.
class TComm : public QObject
{
    Q_OBJECT
public:
    using TReceiveDataEvent = std::function<void(TComm *Sender, const char *Buffer, quint16 BufferLength)>;
    using TReceiveErrorEvent = std::function<void(TComm *Sender, quint32 EventMask)>;
    using TModemStateChangeEvent = std::function<void(TComm *Sender, quint32 ModemEvent)>;
    using TNotifyEvent = std::function<void(TComm *Sender)>;
    using TSendDataEmptyEvent = std::function<void(TComm *Sender)>;

    explicit TComm(QObject *parent = nullptr);
    ~TComm() override;

    // Opens the device named by CommName and starts both threads; throws ECommsError.
    void OpenPort();
    // Stops both threads and closes the device; nothing when closed. Never throws.
    void ClosePort();
    // Queues a copy of the block; false, sending nothing, when closed, count is 0 or the
    // write thread takes no more blocks.
    bool WritePortData(const char *bytes, quint16 count);

    bool isOpen() const { return fd_ >= 0; }
    // The errno that showed the device gone, for the hang-up being raised (0: it hung up
    // without one, e.g. the far end closed).
    int hangupError() const { return hangupError_; }
    // True while no queued block waits to be written.
    bool sendDataEmpty() const { return SendDataEmpty; }

    // Take effect at the next OpenPort.
    QString CommName() const { return commName_; }
    void setCommName(const QString &name) { commName_ = name; }
    TParity Parity() const { return line_.Parity; }
    void setParity(TParity parity) { line_.Parity = parity; }

    // Each re-applies the line settings to an open port when the value changes.
    quint32 BaudRate() const { return line_.BaudRate; }
    void setBaudRate(quint32 v);
    bool ParityCheck() const { return line_.ParityCheck; }
    void setParityCheck(bool v);
    bool Outx_CtsFlow() const { return line_.Outx_CtsFlow; }
    void setOutx_CtsFlow(bool v);
    bool Outx_DsrFlow() const { return line_.Outx_DsrFlow; }
    void setOutx_DsrFlow(bool v);
    TDtrControl DtrControl() const { return line_.DtrControl; }
    void setDtrControl(TDtrControl v);
    bool DsrSensitivity() const { return line_.DsrSensitivity; }
    void setDsrSensitivity(bool v);
    bool TxContinueOnXoff() const { return line_.TxContinueOnXoff; }
    void setTxContinueOnXoff(bool v);
    bool Outx_XonXoffFlow() const { return line_.Outx_XonXoffFlow; }
    void setOutx_XonXoffFlow(bool v);
    bool Inx_XonXoffFlow() const { return line_.Inx_XonXoffFlow; }
    void setInx_XonXoffFlow(bool v);
    bool ReplaceWhenParityError() const { return line_.ReplaceWhenParityError; }
    void setReplaceWhenParityError(bool v);
    bool IgnoreNullChar() const { return line_.IgnoreNullChar; }
    void setIgnoreNullChar(bool v);
    TRtsControl RtsControl() const { return line_.RtsControl; }
    void setRtsControl(TRtsControl v);
    quint16 XonLimit() const { return line_.XonLimit; }
    void setXonLimit(quint16 v);
    quint16 XoffLimit() const { return line_.XoffLimit; }
    void setXoffLimit(quint16 v);
    TByteSize ByteSize() const { return line_.ByteSize; }
    void setByteSize(TByteSize v);
    TStopBits StopBits() const { return line_.StopBits; }
    void setStopBits(TStopBits v);
    char XonChar() const { return line_.XonChar; }
    void setXonChar(char v);
    char XoffChar() const { return line_.XoffChar; }
    void setXoffChar(char v);
    char ReplacedChar() const { return line_.ReplacedChar; }
    void setReplacedChar(char v);

    // Each re-applies the time-outs to an open port when the value changes.
    quint32 ReadIntervalTimeout() const { return timeouts_.ReadIntervalTimeout; }
    void setReadIntervalTimeout(quint32 v);
    quint32 ReadTotalTimeoutMultiplier() const { return timeouts_.ReadTotalTimeoutMultiplier; }
    void setReadTotalTimeoutMultiplier(quint32 v);
    quint32 ReadTotalTimeoutConstant() const { return timeouts_.ReadTotalTimeoutConstant; }
    void setReadTotalTimeoutConstant(quint32 v);
    quint32 WriteTotalTimeoutMultiplier() const { return timeouts_.WriteTotalTimeoutMultiplier; }
    void setWriteTotalTimeoutMultiplier(quint32 v);
    quint32 WriteTotalTimeoutConstant() const { return timeouts_.WriteTotalTimeoutConstant; }
    void setWriteTotalTimeoutConstant(quint32 v);

    // Raised on the owning thread, in the order the threads posted them; only when assigned.
    // The hang-up is raised once per opening, and not at all once the port was closed: it
    // was about that opening.
    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;

private:
    template <class T> void setLine(T LineSettings::*field, T value);
    template <class T> void setTimeout(T Timeouts::*field, T value);
    void applyLineSettings();
    void applyTimeouts();
    void dispatch(const CommNotice &notice);

    QString commName_ = QStringLiteral("COM2");
    LineSettings line_;
    Timeouts timeouts_;

    int fd_ = -1;
    std::unique_ptr<CloseEvent> close_;
    std::unique_ptr<TReadThread> readThread_;
    std::unique_ptr<TWriteThread> writeThread_;
    comm::ReadSettings readSettings_;
    // Written by the write thread, read here without a lock.
    std::atomic<bool> SendDataEmpty{true};
    CommNotifier *notifier_;
    // Closes whose mark the notifier has not handed back yet: notices before the mark come
    // from an opening that is over.
    int closesPending_ = 0;
    bool hungUp_ = false; // this opening has raised its hang-up
    int hangupError_ = 0;
};
