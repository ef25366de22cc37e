#include "link/usbtransport.h"

void SyncUsbTransport::start(const QByteArray &frame, int timeoutMs, Done done)
{
    UsbReply reply;
    reply.written = write(frame);
    if (reply.written == frame.size())
        reply.frame = read(timeoutMs);
    done(reply);
}
