#include "base/errors.h"
#include "pagekit/guard.h"
#include "ui/filedialogs.h"
#include "ui/logpane.h"
#include "ui/rtfwriter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

struct Pane : ::testing::Test {
    LogPane pane;
    QStringList errors;
    QList<filedialogs::Request> asked;
    QString answer;
    QTemporaryDir dir;
    void SetUp() override
    {
        guard::setErrorDisplay([this](const QString &m) { errors << m; });
        filedialogs::setChooser([this](const filedialogs::Request &r) {
            asked << r;
            return answer;
        });
    }
    void TearDown() override
    {
        guard::setErrorDisplay({});
        filedialogs::setChooser({});
    }
    QAction *action(const char *name) { return pane.findChild<QAction *>(QString::fromLatin1(name)); }
    QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString &path, const QByteArray &data)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
};

// The text unrtf's HTML shows for a file, as lines, with its blanks collapsed as HTML does.
QStringList unrtfLines(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), path});
    if (!p.waitForFinished(20000))
        return {QStringLiteral("<unrtf did not finish>")};
    QString html = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype body = html.indexOf(QLatin1String("<body>"));
    html = html.mid(body + 6);
    html.replace(QRegularExpression(QStringLiteral("\\s*<br>\\s*")), QStringLiteral("\n"));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    QString text;
    static const QRegularExpression entity(QStringLiteral("&(#(\\d+)|amp|lt|gt|quot|nbsp);"));
    qsizetype at = 0;
    for (auto it = entity.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        text += html.mid(at, m.capturedStart() - at);
        const QString name = m.captured(1);
        if (!m.captured(2).isEmpty())
            text += QChar(char16_t(m.captured(2).toUInt()));
        else
            text += name == QLatin1String("amp")    ? QStringLiteral("&")
                    : name == QLatin1String("lt")   ? QStringLiteral("<")
                    : name == QLatin1String("gt")   ? QStringLiteral(">")
                    : name == QLatin1String("quot") ? QStringLiteral("\"")
                                                    : QStringLiteral(" ");
        at = m.capturedEnd();
    }
    text += html.mid(at);
    QStringList lines = text.trimmed().split(QLatin1Char('\n'));
    for (QString &l : lines)
        l = l.simplified();
    return lines;
}

TEST_F(Pane, AddBreaksLinesAtEveryKindOfLineEnd)
{
    const struct {
        QStringList adds;
        QStringList lines;
    } cases[] = {
        {{}, {}},
        {{"a\r\n"}, {"a", ""}},
        {{"a\rb\nc\r\nd"}, {"a", "b", "c", "d"}},
        {{"a", "b"}, {"a", "b"}},
        {{"\r\n", "x"}, {"", "", "x"}},
    };
    for (const auto &c : cases) {
        pane.clear();
        for (const QString &a : c.adds)
            pane.add(a);
        EXPECT_EQ(pane.lines(), c.lines) << c.adds.join('|').toStdString();
    }
}

TEST_F(Pane, PopupMenuItemsInOrder)
{
    QStringList seen;
    for (QAction *a : pane.contextMenu->actions())
        seen << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
    EXPECT_EQ(seen, (QStringList{"MenuItem1=Clear", "MenuItem2=Save", "-", "N15=Revoke", "N20=Select all", "-",
                                 "N17=Shear", "N18=Copy", "N19=Paste"}));
}

TEST_F(Pane, ClearSelectCopyShearPasteAndRevoke)
{
    pane.add("first line");
    pane.add("第二行");
    action("N20")->trigger();
    action("N18")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QString::fromUtf8("first line\u2029第二行").replace(QChar(0x2029), '\n'));
    action("N17")->trigger();
    EXPECT_TRUE(pane.lines().isEmpty() || pane.lines() == QStringList{""});
    action("N19")->trigger();
    EXPECT_EQ(pane.lines(), (QStringList{"first line", "第二行"}));

    // Revoke takes back what the user typed, never the tool's own lines.
    pane.MenuItem1Click();
    EXPECT_TRUE(pane.lines().isEmpty());
    pane.add("tool line");
    QTextCursor c(pane.document());
    c.movePosition(QTextCursor::End);
    pane.setTextCursor(c);
    pane.insertPlainText(" typed");
    EXPECT_EQ(pane.lines(), QStringList{"tool line typed"});
    action("N15")->trigger();
    EXPECT_EQ(pane.lines(), QStringList{"tool line"});
    action("N15")->trigger();
    EXPECT_EQ(pane.lines(), QStringList{"tool line"});
    action("MenuItem1")->trigger();
    EXPECT_TRUE(pane.lines().isEmpty());
}

TEST_F(Pane, SaveAsksWithItsTitleAndFilterAndCancelWritesNothing)
{
    pane.add("x");
    answer.clear();
    action("MenuItem2")->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, filedialogs::Request::Kind::Save);
    EXPECT_EQ(asked[0].title, QString::fromUtf8("保存接收数据！"));
    EXPECT_EQ(asked[0].filter, QString::fromUtf8("文本文件(.txt) (*.txt)"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Pane, SavedLogIsRichTextThatAReaderGivesBack)
{
    const QStringList lines = {QString::fromUtf8("读序列号成功   01:07:09 PM"),
                               QString::fromUtf8("地址为：00"),
                               "",
                               "Set Up Success   01:07:09 PM",
                               "braces {x} and back\\slash",
                               QString::fromUtf8("数据丢包，流水校验出错   01:07:09 PM")};
    for (const QString &l : lines)
        pane.add(l);
    answer = dir.filePath("log.txt"); // the name says text; the content is still rich text
    write(answer, "old");
    action("MenuItem2")->trigger();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    const QByteArray saved = read(answer);
    EXPECT_TRUE(saved.startsWith("{\\rtf1")) << saved.left(40).constData();
    EXPECT_TRUE(saved.trimmed().endsWith('}'));
    for (char ch : saved)
        ASSERT_LT(uchar(ch), 0x80) << "every character outside ASCII travels escaped";

    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        GTEST_SKIP() << "unrtf is not installed";
    QStringList expected;
    for (const QString &l : lines)
        expected << l.simplified();
    EXPECT_EQ(unrtfLines(answer), expected);
}

TEST_F(Pane, AFailedSaveLeavesTheOldFileAndSaysWhy)
{
    for (int i = 0; i < 3000; ++i)
        pane.add(QStringLiteral("line %1 of a long log, long enough to pass the limit").arg(i));
    struct Case {
        const char *what;
        QString path;
        std::function<void()> before, after;
    };
    const QString locked = dir.filePath("locked");
    QDir().mkpath(locked);
    const QString sized = dir.filePath("sized.txt");
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    std::vector<Case> cases = {
        {"a directory that cannot be written", locked + "/log.txt",
         [&] { QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner); },
         [&] {
             QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
         }},
        {"a directory that does not exist", dir.filePath("none/log.txt"), [] {}, [] {}},
        {"a disk that fills up during the write", sized,
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = old;
             small.rlim_cur = 4096;
             setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] {
             setrlimit(RLIMIT_FSIZE, &old);
             std::signal(SIGXFSZ, SIG_DFL);
         }},
    };
    for (const Case &c : cases) {
        if (c.path.startsWith(locked) && geteuid() == 0)
            continue; // permissions do not hold back the superuser; the other rows still fail
        errors.clear();
        if (QDir(QFileInfo(c.path).path()).exists())
            write(c.path, "old content");
        answer = c.path;
        c.before();
        action("MenuItem2")->trigger();
        c.after();
        EXPECT_EQ(errors.size(), 1) << c.what;
        if (QFileInfo::exists(QFileInfo(c.path).path())) {
            EXPECT_EQ(read(c.path), QByteArray("old content")) << c.what;
        }
        const QStringList left = QDir(QFileInfo(c.path).path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_LE(left.size(), 1) << c.what << ": no temporary file is left behind";
    }
}

TEST(Rtf, EscapesAndParagraphs)
{
    const struct {
        QString text;
        QByteArray rtf;
    } cases[] = {
        {"plain 01:07:09 PM", "plain 01:07:09 PM"},
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"tab\there", "tab\\tab here"},
        {QString::fromUtf8("通讯"), "{\\u-28646?\\u-29777?}"},
        {QString::fromUtf8("x，y"), "x{\\u-244?}y"},
        {QString::fromUtf8("\U0001F600"), "{\\u-10179?\\u-8704?}"},
        {QString::fromUtf8("bell\x07"), "bell"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rtf::escape(c.text), c.rtf) << c.text.toStdString();

    const QByteArray doc = rtf::fromLines({"a", "", "b"}, {"Sans", 9});
    EXPECT_TRUE(doc.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(doc.contains("\\uc1"));
    EXPECT_TRUE(doc.contains("\\fs18"));
    EXPECT_TRUE(doc.endsWith("a\\par\n\\par\nb}\n"));
    EXPECT_TRUE(rtf::fromLines({}).endsWith("\\fs20\n}\n"));
}

// A pane of a hundred thousand lines uses no block limit of the framework's (slow) and drops
// old lines in batches of its own. That a line costs the same there as in an empty pane is a
// figure of bench/ (the log pane's time per line at 100,000 and at 1,000 lines).
TEST_F(Pane, KeepsItsOwnLimitAtAHundredThousandLines)
{
    pane.resize(300, 500);
    pane.show();
    const auto burst = [&] {
        for (int i = 0; i < 1000; ++i)
            pane.add(QStringLiteral("读序列号成功   01:07:09 PM %1\r\n").arg(i));
        QCoreApplication::processEvents();
    };
    burst();
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many << QStringLiteral("地址为：%1").arg(i);
    pane.add(many.join(QLatin1Char('\n')));
    QCoreApplication::processEvents();
    burst();
    EXPECT_EQ(pane.document()->maximumBlockCount(), 0);
    // 102,000 lines went over the limit: the pane kept the last 90,000, then took 2,000 more.
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaxLines - LogPane::kTrimBatch + 2000);
    EXPECT_EQ(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum()) << "the pane follows the end";
}

} // namespace
