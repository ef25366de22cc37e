#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class FaultPlan;
class QSocketNotifier;
class UhfModule;

// The UHF module on a serial line: the master side of a pseudo-terminal, answering the
// module frames that arrive on it. The tool opens the slave side (devicePath()) as its
// serial port. Runs on the thread that owns it, driven by a socket notifier.
class PtyUhfModule : public QObject
{
    Q_OBJECT
public:
    // faults may be null; when given, an armed fault applies to the next serial frame too.
    PtyUhfModule(UhfModule &module, FaultPlan *faults, QObject *parent = nullptr);
    ~PtyUhfModule() override;

    // False when no pseudo-terminal could be opened (errorString() says why).
    bool isOpen() const { return master_ >= 0; }
    QString errorString() const { return error_; }
    // The slave's device path, e.g. /dev/pts/7.
    QString devicePath() const { return path_; }

    // Takes bytes as they arrive from the line; answers every complete frame. Public so
    // that the framing can be tested without a terminal.
    QByteArray feed(const QByteArray &bytes);

    int framesAnswered() const { return answered_; }

signals:
    void frameAnswered(const QByteArray &frame, const QByteArray &reply);

private:
    void readMaster();

    UhfModule &module_;
    FaultPlan *faults_;
    int master_ = -1;
    int slave_ = -1; // kept open so the master never sees a hang-up between the tool's opens
    QSocketNotifier *notifier_ = nullptr;
    QString path_;
    QString error_;
    QByteArray buffer_;
    QElapsedTimer sinceLastBytes_;
    int answered_ = 0;
};
