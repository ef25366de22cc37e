#pragma once

#include "protocol/reply.h"

#include <QString>
#include <functional>

inline const QString kCrLf = QStringLiteral("\r\n");

using LogSink = std::function<void(const QString &)>;

// One line of a reply check: the message, whether the time stamp follows it, whether the
// entry ends with CR LF (an empty line after it in the pane).
struct ReplyLine {
    QString text;
    bool stamp = true;
    bool crlf = false;
};

inline ReplyLine stamped(const QString &text)
{
    return {text, true, false};
}
inline ReplyLine stampedCrLf(const QString &text)
{
    return {text, true, true};
}
inline ReplyLine plain(const QString &text)
{
    return {text, false, false};
}

struct ReplyTexts {
    ReplyLine noData;
    ReplyLine success;
    ReplyLine failure;
    ReplyLine other;
};

// The no-data texts the pages use.
inline const QString kNoDataHf = QStringLiteral("通讯错误，没有接收到数据..   ");
inline const QString kNoDataWide = QStringLiteral("Data error，no data recevice..   ");
inline const QString kNoDataPlain = QStringLiteral("Data error,no data recevice..   ");
inline const QString kNoDataUhf = QStringLiteral("error,no data  receive..   ");
// The damaged-reply texts.
inline const QString kOtherHf = QStringLiteral("数据丢包，流水校验出错   ");
inline const QString kOtherData = QStringLiteral("data error,please check data..   ");
inline const QString kOtherSum = QStringLiteral("check sum error.....   ");

// The HF card pages' texts around a command's own success and failure lines.
inline ReplyTexts hfTexts(const ReplyLine &success, const QString &failure)
{
    return {stampedCrLf(kNoDataHf), success, stamped(failure), stampedCrLf(kOtherHf)};
}

// Text of a reply line as the pane receives it.
QString lineText(const ReplyLine &line);

// The lines every page writes for a reply's status: the no-data line; the success line; the
// failure line, then the translated error code on a line of its own; the damaged-reply line.
// Says which it was.
protocol::Status reportStatus(protocol::Status status, std::optional<uint8_t> errorCode, const ReplyTexts &texts,
                              const LogSink &log);

// The same for a typed result; true on success.
template <class T> bool report(const protocol::Result<T> &result, const ReplyTexts &texts, const LogSink &log)
{
    return reportStatus(result.status, result.errorCode, texts, log) == protocol::Status::Success;
}

// The same for a reply frame, its status at statusByte (3 for reader replies, 5 for module
// replies on the serial line).
protocol::Status checkReply(const QByteArray &reply, const ReplyTexts &texts, const LogSink &log,
                            int statusByte = protocol::ReaderReply::kStatusByte);
