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

Action readingModeAction(std::function<protocol::Request(bool active)> request, int waitMs)
{
    const QStringList words = {QStringLiteral("active"), QStringLiteral("passive")};
    return {.name = QStringLiteral("mode"),
            .args = QStringLiteral("active|passive"),
            .summary = QStringLiteral("Read cards by itself (active) or only when asked (passive)."),
            .choices = words,
            .prepare = [request, waitMs, words](CommandArgs &args) -> Runner {
                const bool active = choiceIndex(args, QStringLiteral("MODE"), words) == 0;
                args.done();
                return sendsOnly(request(active), waitMs);
            }};
}

int choiceIndex(CommandArgs &args, const QString &name, const QStringList &choices)
{
    return int(choices.indexOf(args.choice(args.take(name), name, choices)));
}

} // namespace cli
