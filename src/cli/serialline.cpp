#include "cli/serialline.h"

#include "cli/failures.h"
#include "link/waits.h"
#include "serial/tcomm.h"

namespace cli
{

SerialLine::SerialLine(const QString &path, quint32 baud) : comm_(std::make_unique<TComm>())
{
    comm_->setCommName(path);
    comm_->setBaudRate(baud);
    comm_->setByteSize(TByteSize::_8);
    comm_->setParity(TParity::None);
    comm_->setStopBits(TStopBits::_1);
    comm_->setReadIntervalTimeout(100);
    comm_->OnReceiveData = [this](TComm *, const char *buffer, quint16 length) {
        block_ = QByteArray(buffer, length);
        ++blocks_;
        waits::notify();
    };
    comm_->OnRequestHangup = [this](TComm *) {
        hungUp_ = true;
        waits::notify();
    };
    try {
        comm_->OpenPort();
    } catch (const ECommsError &e) {
        throw NoReader(QStringLiteral("cannot open the serial port %1: %2").arg(path, e.message()));
    }
}

SerialLine::~SerialLine()
{
    comm_->OnReceiveData = nullptr;
    comm_->OnRequestHangup = nullptr;
    comm_->ClosePort();
}

QByteArray SerialLine::exchange(const QByteArray &frame, int waitMs)
{
    // Only a block that arrives after this write answers it.
    const quint64 before = blocks_;
    if (!comm_->WritePortData(frame.constData(), quint16(frame.size())))
        return {};
    waits::waitUntil(waitMs, [&] { return blocks_ != before || hungUp_; });
    return blocks_ != before ? block_ : QByteArray();
}

} // namespace cli
