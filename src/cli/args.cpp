#include "cli/args.h"

#include "base/errors.h"
#include "base/hex.h"

#include <QCommandLineParser>

namespace cli
{

CommandArgs::CommandArgs(const QString &command, const QList<Option> &options, const QStringList &args)
    : command_(command)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option &o : options) {
        if (o.value.isEmpty())
            parser.addOption(QCommandLineOption(o.name, o.help));
        else
            parser.addOption(QCommandLineOption(o.name, o.help, o.value));
    }
    if (!parser.parse(QStringList{command} + args))
        fail(parser.errorText().endsWith(QLatin1Char('.')) ? parser.errorText()
                                                           : parser.errorText() + QLatin1Char('.'));
    for (const Option &o : options) {
        if (!parser.isSet(o.name))
            continue;
        set_ << o.name;
        if (!o.value.isEmpty()) {
            const QStringList all = parser.values(o.name);
            if (all.size() > 1)
                fail(QStringLiteral("--%1 is given %2 times: give it once.").arg(o.name).arg(all.size()));
            values_.insert(o.name, all.value(0));
        }
    }
    positional_ = parser.positionalArguments();
}

bool CommandArgs::isSet(const QString &option) const
{
    return set_.contains(option);
}

std::optional<QString> CommandArgs::value(const QString &option) const
{
    const auto it = values_.constFind(option);
    return it == values_.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

QString CommandArgs::take(const QString &name)
{
    if (next_ >= positional_.size())
        fail(QStringLiteral("%1 is missing.").arg(name));
    return positional_[next_++];
}

std::optional<QString> CommandArgs::takeOptional()
{
    if (next_ >= positional_.size())
        return std::nullopt;
    return positional_[next_++];
}

void CommandArgs::done() const
{
    if (next_ < positional_.size())
        fail(QStringLiteral("unexpected argument '%1'.").arg(positional_[next_]));
}

void CommandArgs::fail(const QString &message) const
{
    throw UserError(message);
}

QByteArray CommandArgs::hex(const QString &text, const QString &name, int minBytes, int maxBytes) const
{
    return hexArg(text, name, minBytes, maxBytes);
}

int CommandArgs::number(const QString &text, const QString &name, int lo, int hi) const
{
    return numberArg(text, name, lo, hi);
}

QString CommandArgs::choice(const QString &text, const QString &name, const QStringList &choices) const
{
    return choiceArg(text, name, choices);
}

std::optional<long long> parseNumber(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    long long v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (!t.isEmpty() && t[0].isDigit())
        v = t.toLongLong(&ok, 10);
    return ok ? std::optional<long long>(v) : std::nullopt;
}

QByteArray hexArg(const QString &text, const QString &name, int minBytes, int maxBytes)
{
    return hex::bytesField(text, name, minBytes, maxBytes);
}

int numberArg(const QString &text, const QString &name, int lo, int hi)
{
    const auto v = parseNumber(text);
    if (!v || *v < lo || *v > hi)
        throw UserError(
            QStringLiteral("%1 must be a number from %2 to %3 (decimal, or hexadecimal after 0x), not '%4'.")
                .arg(name)
                .arg(lo)
                .arg(hi)
                .arg(text));
    return int(*v);
}

QString choiceArg(const QString &text, const QString &name, const QStringList &choices)
{
    if (!choices.contains(text))
        throw UserError(
            QStringLiteral("%1 must be one of %2, not '%3'.").arg(name, choices.join(QStringLiteral(", ")), text));
    return text;
}

} // namespace cli
