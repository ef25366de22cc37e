#pragma once

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

enum class ReplyOutcome { NoData, Success, Failure, Other };

// The no-data texts the pages use.
inline const QString kNoDataHf = QStringLiteral("通讯错误，没有接收到数据..   ");
inline const QString kNoDataWide = QStringLiteral("Data error，no data recevice..   ");
inline const QString kNoDataPlain = QStringLiteral("Data error,no data recevice..   ");
inline const QString kNoDataUhf = QStringLiteral("error,no data  receive..   ");
// The damaged-reply texts.
inline const QString kOtherHf = QStringLiteral("数据丢包，流水校验出错   ");
inline const QString kOtherData = QStringLiteral("data error,please check data..   ");
inline const QString kOtherSum = QStringLiteral("check sum error.....   ");

// Text of a reply line as the pane receives it.
QString lineText(const ReplyLine &line);

// Reply byte k of a reply text (two digits; shorter or empty past the end).
QString replyByte(const QString &reply, int k);
// Reply bytes first ... last; short or empty where the reply ends first.
QString replySpan(const QString &reply, int first, int last);
// How many whole bytes the reply text holds.
inline int replyLength(const QString &reply)
{
    return int(reply.size() / 2);
}

// The shared check of a reply: no data, status 00 success, 01 failure with the translated
// error code, anything else damaged. The status sits at statusByte (3 for USB replies,
// 5 for UHF-module replies on the serial line). Adds its lines to log and says which it was.
ReplyOutcome checkReply(const QString &reply, const ReplyTexts &texts, const LogSink &log, int statusByte = 3);
