#include "cli/commandkit.h"
#include "cli/keyboardformat.h"
#include "protocol/keyboard.h"

namespace cli
{

namespace
{

namespace kb = protocol::keyboard;

Action get()
{
    return {.name = QStringLiteral("get"),
            .summary = QStringLiteral("Read the output format and its additions."),
            .help = QStringLiteral("Prints format (its name as keyboard set takes it), format_code, format_name (as "
                                   "the reader's documentation calls it), semicolon, question_mark, comma, enter and "
                                   "custom_data (the byte after the flags)."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    Record r;
                    keyboardformat::report(keyboardformat::readBack(s), r);
                    return r;
                };
            }};
}

Action set()
{
    return {.name = QStringLiteral("set"),
            .args = QStringLiteral("FORMAT [--semicolon] [--question-mark] [--comma] [--no-enter] [--rssi] "
                                   "[--buzzer big|small]"),
            .summary = QStringLiteral("Set how the reader types card numbers."),
            .help = QStringLiteral("FORMAT is ") + keyboardformat::expected() +
                    QStringLiteral(". The additions not named are switched off, except Enter, which is on unless "
                                   "--no-enter is given."),
            .options = {flag("semicolon", "Add ; before the number."), flag("question-mark", "Add ? after the number."),
                        flag("comma", "Add , in the middle of the number."),
                        flag("no-enter", "Do not press Enter after the number."),
                        flag("rssi", "The signal strength follows the number."),
                        option("buzzer", "SIZE", "big (the default) or small: the buzzer's sound.")},
            .choices = keyboardformat::words(),
            .prepare = [](CommandArgs &args) -> Runner {
                const QString text = args.take(QStringLiteral("FORMAT"));
                const auto code = keyboardformat::parse(text);
                if (!code)
                    args.fail(QStringLiteral("FORMAT must be %1, not '%2'.").arg(keyboardformat::expected(), text));
                args.done();
                kb::FormatSettings f;
                f.format = *code;
                f.semicolon = args.isSet(QStringLiteral("semicolon"));
                f.questionMark = args.isSet(QStringLiteral("question-mark"));
                f.comma = args.isSet(QStringLiteral("comma"));
                f.enter = !args.isSet(QStringLiteral("no-enter"));
                f.rssi = args.isSet(QStringLiteral("rssi"));
                if (const auto b = args.value(QStringLiteral("buzzer")))
                    f.bigBuzzer = args.choice(*b, QStringLiteral("--buzzer"),
                                              {QStringLiteral("big"), QStringLiteral("small")}) == QLatin1String("big");
                return [f](Session &s) -> std::optional<Record> {
                    call(s, kb::setFormat(f));
                    Record r;
                    r.add(QStringLiteral("format"), keyboardformat::word(f.format));
                    r.add(QStringLiteral("semicolon"), f.semicolon);
                    r.add(QStringLiteral("question_mark"), f.questionMark);
                    r.add(QStringLiteral("comma"), f.comma);
                    r.add(QStringLiteral("enter"), f.enter);
                    r.add(QStringLiteral("rssi"), f.rssi);
                    r.add(QStringLiteral("buzzer"), f.bigBuzzer ? QStringLiteral("big") : QStringLiteral("small"));
                    return r;
                };
            }};
}

Action version()
{
    return {.name = QStringLiteral("version"),
            .summary = QStringLiteral("Read the reader's version text."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return [](Session &s) -> std::optional<Record> {
                    const auto v = callParsed(s, kb::version(), kb::parseVersion);
                    Record r;
                    // One character per byte, as the reader sends it.
                    r.add(QStringLiteral("version"), QString::fromLatin1(v.text));
                    return r;
                };
            }};
}

Action factoryReset()
{
    return {.name = QStringLiteral("factory-reset"),
            .summary = QStringLiteral("Restore the reader's factory settings."),
            .prepare = [](CommandArgs &args) -> Runner {
                args.done();
                return sendsOnly(kb::factoryReset());
            }};
}

Action voice()
{
    return {.name = QStringLiteral("voice"),
            .args = QStringLiteral("on|off"),
            .summary = QStringLiteral("Switch the reader's voice on or off."),
            .help = QStringLiteral("The switch always goes to address 00. The reader need not answer it: without a "
                                   "reply the command succeeds and says so (answered: no); a refusal fails."),
            .choices = {QStringLiteral("on"), QStringLiteral("off")},
            .prepare = [](CommandArgs &args) -> Runner {
                const bool on =
                    choiceIndex(args, QStringLiteral("on|off"), {QStringLiteral("on"), QStringLiteral("off")}) == 0;
                args.done();
                return [on](Session &s) -> std::optional<Record> {
                    const protocol::Request request = kb::voice(on);
                    const QByteArray reply = s.exchange(request).reply;
                    Record r;
                    r.add(QStringLiteral("voice"), on ? QStringLiteral("on") : QStringLiteral("off"));
                    r.add(QStringLiteral("answered"), !reply.isEmpty());
                    if (!reply.isEmpty()) {
                        const auto result = protocol::ack(reply);
                        s.require(result, s.waitFor(request));
                    }
                    return r;
                };
            }};
}

} // namespace

Family keyboardFamily()
{
    return {QStringLiteral("keyboard"),
            QStringLiteral("the keyboard-output reader: how it types card numbers"),
            QStringLiteral("A keyboard-output reader types each card number it reads, like a keyboard, in the format "
                           "set here."),
            {get(), set(), readingModeAction([](bool active) { return kb::readingMode(active); }), version(),
             factoryReset(), voice()}};
}

} // namespace cli
