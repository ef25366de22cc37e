#include "pagekit/replycheck.h"

#include "base/clock.h"
#include "protocol/errorcodes.h"

QString lineText(const ReplyLine &line)
{
    QString s = line.text;
    if (line.stamp)
        s += timeStamp();
    if (line.crlf)
        s += kCrLf;
    return s;
}

protocol::Status reportStatus(protocol::Status status, std::optional<uint8_t> errorCode, const ReplyTexts &texts,
                              const LogSink &log)
{
    switch (status) {
    case protocol::Status::NoReply:
        log(lineText(texts.noData));
        break;
    case protocol::Status::Success:
        log(lineText(texts.success));
        break;
    case protocol::Status::Refused:
        log(lineText(texts.failure));
        log(protocol::errorText(errorCode) + kCrLf);
        break;
    case protocol::Status::Damaged:
        log(lineText(texts.other));
        break;
    }
    return status;
}

protocol::Status checkReply(const QByteArray &reply, const ReplyTexts &texts, const LogSink &log, int statusByte)
{
    const protocol::ReaderReply r(reply);
    const protocol::Status status = r.status(statusByte);
    return reportStatus(status, status == protocol::Status::Refused ? r.errorCode(statusByte) : std::nullopt, texts,
                        log);
}
