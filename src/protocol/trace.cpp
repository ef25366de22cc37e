#include "protocol/trace.h"

#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/frames.h"
#include "protocol/uhf.h"

namespace protocol
{

namespace
{

QString frameProblems(const QByteArray &frame, bool module, const char *which)
{
    QStringList bad;
    if (module) {
        const auto c = frames::checkModuleFrame(frame);
        if (!c.header)
            bad << QStringLiteral("header");
        if (!c.length)
            bad << QStringLiteral("length");
        if (!c.checksum)
            bad << QStringLiteral("checksum");
        if (!c.end)
            bad << QStringLiteral("end mark");
    } else {
        const auto c = frames::checkReaderFrame(frame);
        if (!c.header)
            bad << QStringLiteral("header");
        if (!c.length)
            bad << QStringLiteral("length");
        if (!c.check)
            bad << QStringLiteral("check byte");
        if (!c.trailer)
            bad << QStringLiteral("trailer");
    }
    return bad.isEmpty() ? QString()
                         : QStringLiteral("%1: %2").arg(QLatin1String(which), bad.join(QStringLiteral(", ")));
}

} // namespace

QString outcomeText(Exchange::Outcome outcome)
{
    switch (outcome) {
    case Exchange::Outcome::Answered:
        return QStringLiteral("answered");
    case Exchange::Outcome::Refused:
        return QStringLiteral("refused");
    case Exchange::Outcome::Damaged:
        return QStringLiteral("damaged");
    case Exchange::Outcome::NoAnswer:
        return QStringLiteral("no answer");
    case Exchange::Outcome::NoReader:
        return QStringLiteral("no reader");
    case Exchange::Outcome::Gone:
        return QStringLiteral("reader gone");
    case Exchange::Outcome::TooLong:
        return QStringLiteral("not sent: too long");
    case Exchange::Outcome::Superseded:
        return QStringLiteral("superseded");
    }
    return {};
}

DecodedExchange decode(const Exchange &r)
{
    DecodedExchange d;
    const CommandAt at = locateCommand(r.sent, r.channel == Exchange::Channel::Serial);
    const auto &table = commandTable();
    std::vector<int> rows;
    if (r.row >= 0 && size_t(r.row) < table.size())
        rows.push_back(r.row);
    else if (at.code >= 0)
        rows = rowsFor(at.frame, uint8_t(at.code), at.sub);

    QStringList families, names;
    for (int i : rows) {
        const CommandInfo &row = table[size_t(i)];
        if (!families.contains(familyName(row.family)))
            families << familyName(row.family);
        names << QString::fromLatin1(row.name);
    }
    if (!rows.empty())
        d.family = table[size_t(rows.front())].family;
    d.familyText = families.isEmpty() ? QStringLiteral("?") : families.join(QStringLiteral(" / "));
    d.name = names.isEmpty()
                 ? (at.code >= 0
                        ? QStringLiteral("unknown command %1").arg(describe::byteAt(QByteArray(1, char(at.code)), 0))
                        : QStringLiteral("unknown frame"))
                 : names.join(QStringLiteral(" / "));

    // A module reply that came through the reader sits inside the reader's frame.
    const bool moduleReply = at.frame == Frame::Module;
    const QByteArray replyFrame =
        moduleReply && r.channel == Exchange::Channel::Usb && at.throughModule ? uhf::moduleFrame(r.reply) : r.reply;
    if (!rows.empty()) {
        const CommandInfo &row = table[size_t(rows.front())];
        d.request = row.request(row.sub >= 0 ? at.params.mid(1) : at.params);
        d.reply = r.reply.isEmpty() ? outcomeText(r.outcome) : row.reply(replyFrame);
    } else {
        d.request = describe::rawParams(at.params);
        d.reply = r.reply.isEmpty() ? outcomeText(r.outcome) : describe::hex(r.reply);
    }

    QStringList problems;
    const bool sentModule =
        r.channel == Exchange::Channel::Serial || (!r.sent.isEmpty() && uint8_t(r.sent[0]) == frames::kModuleHeader);
    const QString sent = frameProblems(r.sent, sentModule, "sent");
    if (!sent.isEmpty() && !r.sent.isEmpty())
        problems << sent;
    if (!r.reply.isEmpty()) {
        const bool replyIsModule = r.channel == Exchange::Channel::Serial;
        const QString reply = frameProblems(r.reply, replyIsModule, "reply");
        if (!reply.isEmpty())
            problems << reply;
        if (at.throughModule) {
            const QString inner = frameProblems(uhf::moduleFrame(r.reply), true, "module reply");
            if (!inner.isEmpty())
                problems << inner;
        }
    }
    d.problems = problems.join(QStringLiteral("; "));
    return d;
}

QString traceLine(const Exchange &r, const DecodedExchange &d)
{
    const QString channel = r.channel == Exchange::Channel::Serial ? QStringLiteral("serial") : QStringLiteral("usb");
    QString line = QStringLiteral("%1 %2 %3 ms %4: %5 | out %6 | in %7 | %8 | %9")
                       .arg(r.time.toString(Qt::ISODateWithMs), channel)
                       .arg(double(r.latencyUs) / 1000.0, 0, 'f', 1)
                       .arg(d.familyText, d.name, describe::hex(r.sent), describe::hex(r.reply),
                            d.request.isEmpty() ? QStringLiteral("-") : d.request, d.reply);
    if (!d.problems.isEmpty())
        line += QStringLiteral(" | checks failed: ") + d.problems;
    return line;
}

} // namespace protocol
