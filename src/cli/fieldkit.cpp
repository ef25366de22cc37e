#include "cli/fieldkit.h"

#include "cli/args.h"
#include "cli/failures.h"
#include "cli/record.h"
#include "cli/session.h"
#include "field/inventoryround.h"
#include "protocol/uhf.h"

#include <QDateTime>
#include <set>

namespace cli
{

namespace uhf = protocol::uhf;

namespace
{

// Rounds taken to find the one tag: a round may miss tags that are there.
constexpr int kLookRounds = 8;

} // namespace

field::ModuleChannel moduleChannel(Session &session)
{
    return field::ModuleChannel([&session](const protocol::Request &r) { return session.tryExchange(r); });
}

std::optional<field::TagAddress> tagAddressArgs(CommandArgs &args)
{
    const auto epc = args.value(QStringLiteral("epc"));
    const auto tid = args.value(QStringLiteral("tid"));
    if (epc && tid)
        args.fail(QStringLiteral("--epc and --tid exclude each other: address the tag by one."));
    if (epc) {
        const QByteArray bytes = args.hex(*epc, QStringLiteral("--epc"), 2, uhf::kMaxEpcBytes);
        if (bytes.size() % 2 != 0)
            args.fail(QStringLiteral("--epc must be whole 2-byte words, not %1 bytes.").arg(bytes.size()));
        return field::TagAddress::epc(bytes);
    }
    if (tid)
        return field::TagAddress::tid(args.hex(*tid, QStringLiteral("--tid"), 2, uhf::kMaxMaskBytes));
    return std::nullopt;
}

field::TagAddress addressedTag(Session &session, field::ModuleChannel &channel,
                               const std::optional<field::TagAddress> &given)
{
    if (given)
        return *given;
    std::set<QByteArray> epcs;
    bool shared = false;
    for (int i = 0; i < kLookRounds && epcs.size() < 2 && !shared; ++i) {
        const field::Round round = field::inventoryRound(channel);
        switch (round.status) {
        case field::Round::Status::ReaderGone:
            session.checkReached(channel.lastExchange());
            throw NoReader(round.why);
        case field::Round::Status::Unsupported:
            throw ReaderFailure(QStringLiteral("refused"), round.why + QLatin1Char('.'));
        case field::Round::Status::NoAnswer:
            throw ReaderFailure(QStringLiteral("no_reply"), round.why + QLatin1Char('.'));
        case field::Round::Status::Empty:
        case field::Round::Status::Tags:
            break;
        }
        for (const field::TagRead &read : round.reads) {
            epcs.insert(read.epc);
            shared |= read.sharedEpc;
        }
    }
    if (epcs.empty())
        throw ReaderFailure(QStringLiteral("no_tag"), QStringLiteral("no tag in the field."));
    if (epcs.size() > 1 || shared)
        throw ReaderFailure(QStringLiteral("several_tags"),
                            QStringLiteral("%1 in the field: choose one with --epc HEX or --tid HEX (`uhf inventory "
                                           "--tid` lists them).")
                                .arg(shared ? QStringLiteral("two tags of one EPC")
                                            : QStringLiteral("several tags (at least %1)").arg(epcs.size())));
    return field::TagAddress::epc(*epcs.begin());
}

void throwMemoryFailure(Session &session, const field::ModuleChannel &channel, const field::MemoryResult &result,
                        Record found)
{
    using Status = field::MemoryResult::Status;
    if (result.moduleCode)
        found.add(QStringLiteral("module_error"), hexText(QByteArray(1, char(*result.moduleCode))));
    QString status;
    switch (result.status) {
    case Status::ReaderGone:
        session.checkReached(channel.lastExchange());
        throw NoReader(result.message + QLatin1Char('.'));
    case Status::Refused:
    case Status::Unsupported:
        status = QStringLiteral("refused");
        break;
    case Status::NoTag:
        status = QStringLiteral("no_tag");
        break;
    case Status::OtherTag:
    case Status::NotUnique:
        status = QStringLiteral("not_addressed");
        break;
    case Status::Differs:
        status = QStringLiteral("verify_failed");
        break;
    case Status::NoAnswer:
        status = QStringLiteral("no_reply");
        break;
    case Status::Stopped:
        status = QStringLiteral("stopped");
        break;
    case Status::Ok:
        status = QStringLiteral("failed");
        break;
    }
    throw ReaderFailure(status, result.message + QLatin1Char('.'), std::nullopt, found);
}

QString isoTime(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC).toString(Qt::ISODateWithMs);
}

} // namespace cli
