#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace cli
{

class CommandArgs;
class Record;
class Session;

// A command checked and ready: every argument was read when it was made, so running it sends
// only what was found valid. It returns what it reports (nothing when it printed text itself,
// as help does) and throws ReaderFailure or NoReader when it fails.
using Runner = std::function<std::optional<Record>(Session &)>;
// Reads and checks a command's arguments (throws UserError naming the argument) and returns
// what runs it.
using Prepare = std::function<Runner(CommandArgs &)>;

// An option of one command, written --name or --name VALUE.
struct Option {
    QString name;  // without the dashes: "verify"
    QString value; // the value's name ("HEX"); empty for a switch
    QString help;
};

// One command: the family word, its own word and its arguments ("keyboard set FORMAT ...").
struct Action {
    QString name{};    // "set", or two words ("mem read"); empty when the family word alone is the command ("send HEX")
    QString args{};    // the arguments after the words, for the synopsis: "FORMAT [--semicolon]"
    QString summary{}; // one line
    QString help{};    // what it does, its arguments and output; paragraphs split by blank lines
    QList<Option> options{};
    QStringList choices{};     // the words its first argument takes, for completion
    bool fileArgument = false; // its argument names a file, for completion
    Prepare prepare{};
};

// A family of commands under one word. Several source files may each contribute a Family of
// the same name: the registry joins their actions in the order of families.inc.
struct Family {
    QString name;
    QString summary;
    QString help; // paragraphs shown before the actions
    QList<Action> actions;
};

// Every family, joined by name, in the order families.inc lists their files.
const QList<Family> &families();
// Families of the same name made one: the first one's place, summary and help, then the
// actions and help of the others in their order.
QList<Family> joinFamilies(const QList<Family> &parts);
const Family *findFamily(const QString &name);
const Action *findAction(const Family &family, const QString &name);
// The action words names (from the family word on): an action of one word, or of the first two.
// used says how many words it took.
const Action *matchAction(const Family &family, const QStringList &words, qsizetype &used);
// The words an action may start with, each once, in order ("mode inventory mem").
QStringList actionFirstWords(const Family &family);
// The second words of the two-word actions that start with first ("read write" after "mem").
QStringList actionSecondWords(const Family &family, const QString &first);
// "keyboard set", or "send" for a family's unnamed action.
QString commandName(const Family &family, const Action &action);

// Helpers for the family files.
Option option(const char *name, const char *value, const char *help);
Option flag(const char *name, const char *help);

} // namespace cli
