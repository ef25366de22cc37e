#include "cli/registry.h"
#include "rfidctl.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// Help, the manual page and the completion come from the registry: every command is in each.
TEST(Docs, EveryRegisteredCommandIsInHelpManualAndCompletion)
{
    const Outcome help = rfidctl({QStringLiteral("help")});
    const Outcome usage = rfidctl({QStringLiteral("--help")});
    const Outcome man = rfidctl({QStringLiteral("--man")});
    const Outcome completion = rfidctl({QStringLiteral("--bash-completion")});
    for (const Outcome *r : {&help, &usage, &man, &completion})
        ASSERT_EQ(r->exit, 0) << r->err.toStdString();
    for (const cli::Family &f : cli::families()) {
        EXPECT_TRUE(man.out.contains(QStringLiteral(".SS \"%1:").arg(f.name))) << f.name.toStdString();
        for (const cli::Action &a : f.actions) {
            const QString name = cli::commandName(f, a);
            EXPECT_TRUE(help.out.contains(QStringLiteral("\n  ") + name)) << name.toStdString();
            EXPECT_TRUE(usage.out.contains(QStringLiteral("\n  ") + name)) << name.toStdString();
            EXPECT_TRUE(man.out.contains(QStringLiteral(".B ") +
                                         QString(name).replace(QLatin1Char('-'), QStringLiteral("\\-"))))
                << name.toStdString();
            EXPECT_TRUE(completion.out.contains(QStringLiteral("\"%1\") opts=").arg(name))) << name.toStdString();
            const Outcome one = rfidctl({QStringLiteral("help"), f.name, a.name});
            EXPECT_EQ(one.exit, 0);
            EXPECT_TRUE(one.out.startsWith(QStringLiteral("  ") + name)) << one.out.toStdString();
        }
    }
    // Lines for an 80-column terminal.
    for (const QString &line : usage.out.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 79) << line.toStdString();
}

TEST(Docs, ManualRendersWithoutWarningsAndCompletionParses)
{
    QTemporaryDir dir;
    const Outcome man = rfidctl({QStringLiteral("--man")});
    const Outcome completion = rfidctl({QStringLiteral("--bash-completion")});
    const QString page = dir.filePath(QStringLiteral("rfidctl.1"));
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(man.out.toUtf8());
    f.close();
    if (!QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty()) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), page});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()), QString());
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("EXIT STATUS")));
    }
    // The completion offers the actions of a family and a command's options.
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"),
                QStringLiteral("source /dev/stdin; COMP_WORDS=(rfidctl --simulate keyboard set hex8 --se); "
                               "COMP_CWORD=5; _rfidctl; echo \"${COMPREPLY[*]}\"; "
                               "COMP_WORDS=(rfidctl epc ''); COMP_CWORD=2; _rfidctl; echo \"${COMPREPLY[*]}\"")});
    bash.write(completion.out.toUtf8());
    bash.closeWriteChannel();
    ASSERT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(bash.readAllStandardOutput()),
              QStringLiteral("--semicolon\nread write encode decode batch journal epcis\n"));
    EXPECT_EQ(QString::fromUtf8(bash.readAllStandardError()), QString());
}

} // namespace
