#include "cli/commandkit.h"
#include "cli/outputsettings.h"

namespace cli
{

namespace
{

QStringList settingWords()
{
    QStringList words;
    for (const OutputSetting &s : outputSettings())
        words << s.word;
    return words;
}

QString settingTable()
{
    QStringList lines;
    for (const OutputSetting &s : outputSettings())
        lines << QStringLiteral("%1 %2\t%3").arg(s.word, s.value, s.help);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Family outputFamily()
{
    Action set{.name = QStringLiteral("set"),
               .args = QStringLiteral("SETTING VALUE"),
               .summary = QStringLiteral("Set one setting of the output device."),
               .help = QStringLiteral("The settings and the values they take:\n\n") + settingTable(),
               .choices = settingWords(),
               .prepare = [](CommandArgs &args) -> Runner {
                   const QString word =
                       args.choice(args.take(QStringLiteral("SETTING")), QStringLiteral("SETTING"), settingWords());
                   const QString value = args.take(QStringLiteral("VALUE"));
                   args.done();
                   const OutputSetting *s = findOutputSetting(word);
                   const protocol::Request request = s->request(value, word);
                   return [request, word, value](Session &session) -> std::optional<Record> {
                       call(session, request);
                       Record r;
                       r.add(QStringLiteral("setting"), word);
                       r.add(QStringLiteral("value"), value);
                       return r;
                   };
               }};
    return {QStringLiteral("output"),
            QStringLiteral("the output device: prefix, suffix, interfaces, serial and Wiegand output, RF power"),
            QStringLiteral("These settings can be set but not read back from the reader."),
            {set}};
}

} // namespace cli
