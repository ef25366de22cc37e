#pragma once

#include "cli/registry.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace cli
{

// The arguments of one command, read with Qt's command-line parser against the command's own
// options. Every conversion throws UserError naming the argument and what it expects, so that
// a command with a bad argument sends nothing.
class CommandArgs
{
public:
    // command: "keyboard set", for the messages. Throws UserError on an unknown option or an
    // option without its value.
    CommandArgs(const QString &command, const QList<Option> &options, const QStringList &args);

    const QString &command() const { return command_; }
    // Whether the run uses the simulated reader (--simulate).
    bool simulated() const { return simulated_; }
    void setSimulated(bool on) { simulated_ = on; }

    bool isSet(const QString &option) const;
    // The option's value, or nothing when it was not given.
    std::optional<QString> value(const QString &option) const;

    // The next positional argument; throws when there is none ("FORMAT is missing").
    QString take(const QString &name);
    std::optional<QString> takeOptional();
    bool hasMore() const { return next_ < positional_.size(); }
    // Throws when positional arguments are left over.
    void done() const;

    // A failure of this command's arguments (the run puts the command's name in front).
    [[noreturn]] void fail(const QString &message) const;

    // Conversions; name is the argument as the synopsis writes it ("EPC", "--password").
    QByteArray hex(const QString &text, const QString &name, int minBytes, int maxBytes) const;
    // Decimal, or hexadecimal after 0x.
    int number(const QString &text, const QString &name, int lo, int hi) const;
    // The next positional argument, named name, as such a number.
    int takeNumber(const QString &name, int lo, int hi) { return number(take(name), name, lo, hi); }
    // One of choices, exactly.
    QString choice(const QString &text, const QString &name, const QStringList &choices) const;

private:
    QString command_;
    bool simulated_ = false;
    QStringList positional_;
    int next_ = 0;
    QStringList set_;
    QMap<QString, QString> values_;
};

// The number in text (decimal, or hexadecimal after 0x), or nothing.
std::optional<long long> parseNumber(const QString &text);

// The conversions on their own, for values that come from elsewhere (a profile); each throws
// UserError naming the value.
QByteArray hexArg(const QString &text, const QString &name, int minBytes, int maxBytes);
int numberArg(const QString &text, const QString &name, int lo, int hi);
QString choiceArg(const QString &text, const QString &name, const QStringList &choices);

} // namespace cli
