#include "cli/registry.h"

namespace cli
{

// Each family file defines one of these; the list is the only place that names them all, so
// the linker keeps every file of the static library that holds a family.
#define RFID_CLI_FAMILY(name) Family name##Family();
#include "cli/families.inc"
#undef RFID_CLI_FAMILY

QList<Family> joinFamilies(const QList<Family> &parts)
{
    QList<Family> joined;
    for (const Family &part : parts) {
        auto same = std::find_if(joined.begin(), joined.end(), [&](const Family &f) { return f.name == part.name; });
        if (same == joined.end()) {
            joined.append(part);
            continue;
        }
        same->actions.append(part.actions);
        if (same->summary.isEmpty())
            same->summary = part.summary;
        if (!part.help.isEmpty())
            same->help += (same->help.isEmpty() ? QString() : QStringLiteral("\n\n")) + part.help;
    }
    return joined;
}

const QList<Family> &families()
{
    static const QList<Family> all = joinFamilies({
#define RFID_CLI_FAMILY(name) name##Family(),
#include "cli/families.inc"
#undef RFID_CLI_FAMILY
    });
    return all;
}

const Family *findFamily(const QString &name)
{
    for (const Family &f : families())
        if (f.name == name)
            return &f;
    return nullptr;
}

const Action *findAction(const Family &family, const QString &name)
{
    for (const Action &a : family.actions)
        if (a.name == name)
            return &a;
    return nullptr;
}

const Action *matchAction(const Family &family, const QStringList &words, qsizetype &used)
{
    if (words.size() >= 2)
        if (const Action *a = findAction(family, words[0] + QLatin1Char(' ') + words[1])) {
            used = 2;
            return a;
        }
    used = 1;
    return words.isEmpty() ? nullptr : findAction(family, words[0]);
}

QStringList actionFirstWords(const Family &family)
{
    QStringList first;
    for (const Action &a : family.actions) {
        const QString word = a.name.section(QLatin1Char(' '), 0, 0);
        if (!word.isEmpty() && !first.contains(word))
            first << word;
    }
    return first;
}

QStringList actionSecondWords(const Family &family, const QString &first)
{
    QStringList second;
    for (const Action &a : family.actions)
        if (a.name.contains(QLatin1Char(' ')) && a.name.section(QLatin1Char(' '), 0, 0) == first)
            second << a.name.section(QLatin1Char(' '), 1);
    return second;
}

QString commandName(const Family &family, const Action &action)
{
    return action.name.isEmpty() ? family.name : family.name + QLatin1Char(' ') + action.name;
}

Option option(const char *name, const char *value, const char *help)
{
    return {QString::fromUtf8(name), QString::fromUtf8(value), QString::fromUtf8(help)};
}

Option flag(const char *name, const char *help)
{
    return {QString::fromUtf8(name), QString(), QString::fromUtf8(help)};
}

} // namespace cli
