#include "cli/commandkit.h"

namespace cli
{

QByteArray call(Session &session, const protocol::Request &request, int waitMs)
{
    const int wait = session.wait(waitMs);
    const QByteArray reply = session.exchange(request, wait);
    const auto result = protocol::ack(reply);
    session.require(result, wait);
    return reply;
}

Runner sendsOnly(protocol::Request request, int waitMs)
{
    return [request, waitMs](Session &s) -> std::optional<Record> {
        call(s, request, waitMs);
        return Record();
    };
}

int choiceIndex(CommandArgs &args, const QString &name, const QStringList &choices)
{
    return int(choices.indexOf(args.choice(args.take(name), name, choices)));
}

} // namespace cli
