#pragma once

#include "base/errors.h"
#include "cli/args.h"
#include "cli/failures.h"
#include "cli/record.h"
#include "cli/registry.h"
#include "cli/session.h"
#include "protocol/reply.h"
#include "protocol/request.h"

#include <functional>

// What the family files share: send a typed command and require its success.
namespace cli
{

// Sends request with the command's own wait (or --timeout) and throws ReaderFailure unless the
// reader says success. Returns the reply.
QByteArray call(Session &session, const protocol::Request &request);

// The same, the reply read by parse (a protocol parser); returns the parsed value.
template <class Parse> auto callParsed(Session &session, const protocol::Request &request, Parse parse)
{
    const auto result = parse(session.exchange(request).reply);
    return session.require(result, session.waitFor(request));
}

// A runner that sends one command and reports nothing but its success.
Runner sendsOnly(protocol::Request request);

// Runs check, a check by a layer below whose UserError names the value but not always the
// argument ("first EPC is empty ..."): its message becomes the argument's failure, with name in
// front unless it is empty.
template <class Check> auto checked(CommandArgs &args, const QString &name, Check check)
{
    try {
        return check();
    } catch (const UserError &e) {
        const QString &m = e.message();
        args.fail((name.isEmpty() ? QString() : name + QStringLiteral(": ")) + m +
                  (m.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")));
    }
}

// "mode active|passive": both reader kinds read cards by themselves or only when asked;
// request makes the command for the choice (true: active).
Action readingModeAction(std::function<protocol::Request(bool active)> request);

// "active" / "passive" and the like: the word's index in choices.
int choiceIndex(CommandArgs &args, const QString &name, const QStringList &choices);

} // namespace cli
