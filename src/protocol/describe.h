#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <utility>

// Small pieces the command table's decoders share: they turn bytes into "name=value" words
// for the trace. Hex here is for people to read; nothing is parsed back from it.
namespace protocol::describe
{

// Upper-case hex pairs with blanks ("E2 00 01"); "-" for nothing.
QString hex(const QByteArray &bytes);
// One byte of bytes at k as two hex digits, or "?" past the end.
QString byteAt(const QByteArray &bytes, int k);
// "a=1 b=2", skipping empty values.
QString fields(std::initializer_list<std::pair<const char *, QString>> items);
// The standard reader reply: "ok", "refused 83 (meaning)" or "damaged", plus the data bytes.
QString readerReply(const QByteArray &frame);
// A reply whose data the trace shows as plain bytes.
QString readerReplyWith(const QByteArray &frame,
                        std::initializer_list<std::pair<const char *, std::pair<int, int>>> spans);
// Parameters shown as bytes.
QString rawParams(const QByteArray &params);
QString noParams(const QByteArray &params);
// Text bytes as characters (UTF-8, one character per byte where that fails).
QString text(const QByteArray &bytes);
// A successful reply whose data is text, shown as name="text"; other replies as readerReply().
QString textReply(const QByteArray &frame, const char *name);

} // namespace protocol::describe
