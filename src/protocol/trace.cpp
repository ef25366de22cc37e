#include "protocol/trace.h"

#include "link/frames.h"
#include "protocol/commandtable.h"
#include "protocol/describe.h"
#include "protocol/uhf.h"

namespace protocol
{

namespace
{

// Where the command sits in what was sent: its frame kind, code, sub byte and parameters.
struct Located {
    Frame frame = Frame::Reader;
    int code = -1;
    int sub = -1;
    QByteArray params;          // after the code (and the sub byte, for rows that have one)
    QByteArray paramsAll;       // after the code
    bool throughModule = false; // a module frame behind the reader's pass-through
};

Located locate(const ExchangeRecord &r)
{
    Located at;
    QByteArray module;
    const QByteArray &s = r.sent;
    if (r.channel == ExchangeRecord::Channel::Serial || (!s.isEmpty() && uint8_t(s[0]) == frames::kModuleHeader)) {
        module = s;
    } else if (s.size() >= frames::kReaderOverhead + 1) {
        const QByteArray body = s.mid(3, s.size() - frames::kReaderOverhead);
        if (uint8_t(body[0]) == frames::kPassThrough && body.size() > 1) {
            module = body.mid(1);
            at.throughModule = true;
        } else {
            at.code = uint8_t(body[0]);
            at.sub = body.size() > 1 ? uint8_t(body[1]) : -1;
            at.paramsAll = body.mid(1);
            return at;
        }
    }
    if (module.size() >= 3) {
        at.frame = Frame::Module;
        at.code = uint8_t(module[2]);
        at.paramsAll = module.size() >= frames::kModuleOverhead ? module.mid(5, module.size() - frames::kModuleOverhead)
                                                                : module.mid(3);
    }
    return at;
}

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

QString outcomeText(ExchangeRecord::Outcome outcome)
{
    switch (outcome) {
    case ExchangeRecord::Outcome::Answered:
        return QStringLiteral("answered");
    case ExchangeRecord::Outcome::NoAnswer:
        return QStringLiteral("no answer");
    case ExchangeRecord::Outcome::NoReader:
        return QStringLiteral("no reader");
    case ExchangeRecord::Outcome::Gone:
        return QStringLiteral("reader gone");
    case ExchangeRecord::Outcome::TooLong:
        return QStringLiteral("not sent: too long");
    case ExchangeRecord::Outcome::Superseded:
        return QStringLiteral("superseded");
    }
    return {};
}

DecodedExchange decode(const ExchangeRecord &r)
{
    DecodedExchange d;
    const Located at = locate(r);
    const auto &table = commandTable();
    std::vector<int> rows;
    if (r.command >= 0 && size_t(r.command) < table.size())
        rows.push_back(r.command);
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
    const QByteArray replyFrame = moduleReply && r.channel == ExchangeRecord::Channel::Usb && at.throughModule
                                      ? uhf::moduleFrame(r.reply)
                                      : r.reply;
    if (!rows.empty()) {
        const CommandInfo &row = table[size_t(rows.front())];
        d.request = row.request(row.sub >= 0 ? at.paramsAll.mid(1) : at.paramsAll);
        d.reply = r.reply.isEmpty() ? outcomeText(r.outcome) : row.reply(replyFrame);
    } else {
        d.request = describe::rawParams(at.paramsAll);
        d.reply = r.reply.isEmpty() ? outcomeText(r.outcome) : describe::hex(r.reply);
    }

    QStringList problems;
    const bool sentModule = r.channel == ExchangeRecord::Channel::Serial ||
                            (!r.sent.isEmpty() && uint8_t(r.sent[0]) == frames::kModuleHeader);
    const QString sent = frameProblems(r.sent, sentModule, "sent");
    if (!sent.isEmpty() && !r.sent.isEmpty())
        problems << sent;
    if (!r.reply.isEmpty()) {
        const bool replyIsModule = r.channel == ExchangeRecord::Channel::Serial;
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

QString traceLine(const ExchangeRecord &r, const DecodedExchange &d)
{
    const QString channel =
        r.channel == ExchangeRecord::Channel::Serial ? QStringLiteral("serial") : QStringLiteral("usb");
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
