#include "cli/commandkit.h"
#include "cli/docs.h"

namespace cli
{

Family helpFamily()
{
    Action help{.args = QStringLiteral("[COMMAND [ACTION...]]"),
                .summary = QStringLiteral("List the commands, or explain one."),
                .help =
                    QStringLiteral("Without a command: every command with one line about it. With a command word: the "
                                   "whole family, its actions and options; with an action too, that one only."),
                .prepare = [](CommandArgs &args) -> Runner {
                    const auto word = args.takeOptional();
                    QStringList actionWords;
                    while (const auto w = args.takeOptional())
                        actionWords << *w;
                    const std::optional<QString> actionWord =
                        actionWords.isEmpty() ? std::nullopt : std::optional<QString>(actionWords.join(QLatin1Char(' ')));
                    QString text = commandList();
                    if (word) {
                        const Family *f = findFamily(*word);
                        if (!f)
                            args.fail(QStringLiteral("unknown command '%1'.").arg(*word));
                        text = familyHelp(*f);
                        if (actionWord) {
                            const Action *a = findAction(*f, *actionWord);
                            if (!a)
                                args.fail(QStringLiteral("%1 has no command '%2'.").arg(*word, *actionWord));
                            text = actionHelp(*f, *a);
                        }
                    }
                    return [text](Session &s) -> std::optional<Record> {
                        s.output().text(text);
                        return std::nullopt;
                    };
                }};
    return {QStringLiteral("help"), QStringLiteral("explain the commands"), QString(), {help}};
}

} // namespace cli
