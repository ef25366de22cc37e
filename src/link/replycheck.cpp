#include "link/replycheck.h"

#include "link/falsereason.h"
#include "link/hextext.h"
#include "link/timestamp.h"

QString lineText(const ReplyLine &line)
{
    QString s = line.text;
    if (line.stamp)
        s += timeStamp();
    if (line.crlf)
        s += kCrLf;
    return s;
}

QString replyByte(const QString &reply, int k)
{
    return hex::pairAt(reply, k);
}

ReplyOutcome checkReply(const QString &reply, const ReplyTexts &texts, const LogSink &log, int statusByte)
{
    if (reply.isEmpty()) {
        log(lineText(texts.noData));
        return ReplyOutcome::NoData;
    }
    const QString status = replyByte(reply, statusByte);
    if (status == QLatin1String("00")) {
        log(lineText(texts.success));
        return ReplyOutcome::Success;
    }
    if (status == QLatin1String("01")) {
        log(lineText(texts.failure));
        log(falsereason(replyByte(reply, statusByte + 1)) + kCrLf);
        return ReplyOutcome::Failure;
    }
    log(lineText(texts.other));
    return ReplyOutcome::Other;
}

QString replySpan(const QString &reply, int first, int last)
{
    if (first < 0 || last < first)
        return {};
    return reply.mid(qsizetype(first) * 2, qsizetype(last - first + 1) * 2);
}
