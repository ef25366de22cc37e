#include "cli/commandkit.h"

namespace cli
{

QByteArray call(Session &session, const protocol::Request &request)
{
    const QByteArray reply = session.exchange(request).reply;
    session.require(protocol::ack(reply), session.waitFor(request));
    return reply;
}

Runner sendsOnly(protocol::Request request)
{
    return [request](Session &s) -> std::optional<Record> {
        call(s, request);
        return Record();
    };
}

Action readingModeAction(std::function<protocol::Request(bool active)> request)
{
    const QStringList words = {QStringLiteral("active"), QStringLiteral("passive")};
    return {.name = QStringLiteral("mode"),
            .args = QStringLiteral("active|passive"),
            .summary = QStringLiteral("Read cards by itself (active) or only when asked (passive)."),
            .choices = words,
            .prepare = [request, words](CommandArgs &args) -> Runner {
                const bool active = choiceIndex(args, QStringLiteral("MODE"), words) == 0;
                args.done();
                return sendsOnly(request(active));
            }};
}

int choiceIndex(CommandArgs &args, const QString &name, const QStringList &choices)
{
    return int(choices.indexOf(args.choice(args.take(name), name, choices)));
}

} // namespace cli
