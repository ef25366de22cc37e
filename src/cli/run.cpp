#include "cli/run.h"

#include "base/errors.h"
#include "base/hex.h"
#include "cli/args.h"
#include "cli/docs.h"
#include "cli/globaloptions.h"
#include "cli/registry.h"
#include "cli/script.h"
#include "cli/session.h"
#include "serial/commtypes.h"
#include "sim/uhffield.h"

#include <QCommandLineParser>

namespace cli
{

namespace
{

struct Prepared {
    QString name;
    Runner run;
};

// The global options' values; throws UserError on a bad one.
RunOptions readOptions(const QCommandLineParser &parser)
{
    RunOptions o;
    if (parser.isSet(QStringLiteral("usb"))) {
        const QString text = parser.value(QStringLiteral("usb"));
        const QStringList parts = text.split(QLatin1Char(':'));
        bool okV = false, okP = false;
        const uint v = parts.value(0).toUInt(&okV, 16), p = parts.value(1).toUInt(&okP, 16);
        if (parts.size() != 2 || !okV || !okP || v > 0xFFFF || p > 0xFFFF)
            throw UserError(QStringLiteral("--usb must be VID:PID, two hexadecimal numbers up to FFFF (1234:abcd), "
                                           "not '%1'.")
                                .arg(text));
        o.vid = uint16_t(v);
        o.pid = uint16_t(p);
    }
    if (parser.isSet(QStringLiteral("device"))) {
        o.device = parser.value(QStringLiteral("device"));
        if (o.device.isEmpty() || o.vid)
            throw UserError(o.vid ? QStringLiteral("--usb and --device exclude each other: give one.")
                                  : QStringLiteral("--device needs a path, e.g. /dev/hidraw3."));
    }
    if (parser.isSet(QStringLiteral("simulate"))) {
        const QString kind = parser.value(QStringLiteral("simulate"));
        o.simulate = SimulatedReader::personalityFromName(kind);
        if (!o.simulate)
            throw UserError(QStringLiteral("--simulate must be keyboard or hf, not '%1'.").arg(kind));
        if (o.vid || !o.device.isEmpty())
            throw UserError(QStringLiteral("--simulate excludes --usb and --device: give one."));
        o.simulatedFieldTags = UhfField::sizeFromEnvironment();
    }
    if (parser.isSet(QStringLiteral("address")))
        o.address = hex::byteField(parser.value(QStringLiteral("address")), QStringLiteral("--address"));
    o.json = parser.isSet(QStringLiteral("json"));
    o.traceFile = parser.value(QStringLiteral("trace"));
    if (parser.isSet(QStringLiteral("trace")) && o.traceFile.isEmpty())
        throw UserError(QStringLiteral("--trace needs a file name."));
    if (parser.isSet(QStringLiteral("timeout"))) {
        const QString text = parser.value(QStringLiteral("timeout"));
        const auto ms = parseNumber(text);
        if (!ms || *ms < 1 || *ms > 60000)
            throw UserError(
                QStringLiteral("--timeout must be a number of milliseconds from 1 to 60000, not '%1'.").arg(text));
        o.timeoutMs = int(*ms);
    }
    return o;
}

// "--simulate" alone means the keyboard reader; only the options before the command are
// looked at, the command's own arguments stay as they are.
QStringList withSimulateDefault(QStringList args)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--simulate")) {
            args[i] = QStringLiteral("--simulate=keyboard");
            continue;
        }
        if (a == QLatin1String("--"))
            break;
        if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-"))
            break;
        if (a.contains(QLatin1Char('=')))
            continue;
        const QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        for (const GlobalOption &g : globalOptions())
            if (g.name == name && !g.value.isEmpty() && !g.optionalValue)
                ++i; // its value follows
    }
    return args;
}

Prepared prepare(const QStringList &words, bool simulated)
{
    const QString &word = words.first();
    const Family *family = findFamily(word);
    if (!family) {
        // "--simulate hf" reads as the simulator and a command named hf.
        if (word == QLatin1String("hf"))
            throw UserError(QStringLiteral("unknown command 'hf'; for the simulated HF reader write --simulate=hf."));
        throw UserError(QStringLiteral("unknown command '%1'; `rfidctl help` lists the commands.").arg(word));
    }
    const Action *action = findAction(*family, QString());
    qsizetype first = 1;
    if (!action) {
        const QString names = actionFirstWords(*family).join(QStringLiteral(", "));
        if (words.size() < 2)
            throw UserError(QStringLiteral("%1: which one? %2.").arg(word, names));
        qsizetype used = 0;
        action = matchAction(*family, words.mid(1), used);
        if (!action) {
            // "uhf mem" alone: the second words of the actions it starts.
            if (const QStringList second = actionSecondWords(*family, words[1]); !second.isEmpty())
                throw UserError(
                    QStringLiteral("%1 %2: which one? %3.").arg(word, words[1], second.join(QStringLiteral(", "))));
            throw UserError(QStringLiteral("%1: unknown command '%2'; it takes %3.").arg(word, words[1], names));
        }
        first = 1 + used;
    }
    const QString name = commandName(*family, *action);
    try {
        CommandArgs args(name, action->options, words.mid(first));
        args.setSimulated(simulated);
        return {name, action->prepare(args)};
    } catch (const UserError &e) {
        throw UserError(QStringLiteral("%1: %2").arg(name, e.message()));
    }
}

} // namespace

int run(const QStringList &arguments, QTextStream &in, QTextStream &out, QTextStream &err)
{
    Output plain(false, out, err);
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    for (const GlobalOption &g : globalOptions()) {
        QCommandLineOption o(g.name, g.help);
        if (!g.value.isEmpty())
            o.setValueName(g.value);
        parser.addOption(o);
    }
    QList<Prepared> commands;
    RunOptions options;
    try {
        if (!parser.parse(withSimulateDefault(arguments))) {
            QString why = parser.errorText();
            if (why.endsWith(QLatin1Char('.')))
                why.chop(1);
            throw UserError(why + QStringLiteral("; `rfidctl --help` lists the options."));
        }
        for (const GlobalOption &g : globalOptions())
            if (!g.value.isEmpty() && parser.values(g.name).size() > 1)
                throw UserError(QStringLiteral("%1 is given more than once.").arg(optionSynopsis(g)));
        if (parser.isSet(QStringLiteral("help"))) {
            plain.text(usageText());
            return kExitOk;
        }
        if (parser.isSet(QStringLiteral("version"))) {
            plain.text(QStringLiteral("rfidctl %1\n").arg(QStringLiteral(RFID_VERSION)));
            return kExitOk;
        }
        if (parser.isSet(QStringLiteral("man"))) {
            plain.text(manPage());
            return kExitOk;
        }
        if (parser.isSet(QStringLiteral("bash-completion"))) {
            plain.text(bashCompletion());
            return kExitOk;
        }
        options = readOptions(parser);
        const QStringList positional = parser.positionalArguments();
        QList<QStringList> script;
        if (parser.isSet(QStringLiteral("c"))) {
            if (!positional.isEmpty())
                throw UserError(QStringLiteral("-c takes the commands in its SCRIPT; '%1' after it is one too many.")
                                    .arg(positional.first()));
            script = splitScript(parser.value(QStringLiteral("c")));
        } else if (positional == QStringList{QStringLiteral("-")}) {
            script = splitScript(in.readAll());
        } else if (!positional.isEmpty()) {
            script = {positional};
        }
        if (script.isEmpty())
            throw UserError(QStringLiteral("no command given; `rfidctl help` lists the commands."));
        // --json is read behind the command words too ("uhf inventory --tid --json"): it takes
        // no value and no command has an option of that name.
        for (QStringList &words : script) {
            for (qsizetype i = 1; i < words.size() && words[i] != QLatin1String("--");) {
                if (words[i] == QLatin1String("--json")) {
                    words.removeAt(i);
                    options.json = true;
                } else {
                    ++i;
                }
            }
        }
        // Every command is checked before the first one sends anything.
        for (const QStringList &words : script)
            commands << prepare(words, options.simulate.has_value());
    } catch (const UserError &e) {
        plain.error(e.message());
        return kExitUsage;
    }

    Output output(options.json, out, err);
    Session session(options, output);
    try {
        session.openTrace();
    } catch (const UserError &e) {
        output.error(e.message());
        return kExitUsage;
    }
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const Prepared &c = commands[i];
        int status = kExitOk;
        try {
            if (const std::optional<Record> record = c.run(session))
                output.success(c.name, *record);
        } catch (const ReaderFailure &e) {
            output.failure(c.name, e.status(), e.message(), e.errorCode(), e.found());
            status = kExitReader;
        } catch (const NoReader &e) {
            output.failure(c.name, QStringLiteral("no_reader"), e.message(), std::nullopt, {});
            status = kExitNoReader;
        } catch (const ECommsError &e) {
            output.failure(c.name, QStringLiteral("no_reader"), e.message(), std::nullopt, {});
            status = kExitNoReader;
        } catch (const UserError &e) {
            output.failure(c.name, QStringLiteral("bad_input"), e.message(), std::nullopt, {});
            status = kExitUsage;
        }
        if (status != kExitOk) {
            if (i + 1 < commands.size())
                output.error(QStringLiteral("stopped after command %1 of %2; the rest was not run.")
                                 .arg(i + 1)
                                 .arg(commands.size()));
            return status;
        }
    }
    return kExitOk;
}

} // namespace cli
