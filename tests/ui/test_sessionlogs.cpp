#include "files/sessionlog.h"
#include "files/sessionlogfolder.h"
#include "support/windowtest.h"
#include "ui/logpane.h"
#include "ui/sessionlogswitch.h"
#include "ui/tform1.h"

#include "support/fakedevice.h"

#include "support/pump.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

QStringList fileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing>")};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

QStringList numbered(int from, int to)
{
    QStringList lines;
    for (int i = from; i < to; ++i)
        lines << QStringLiteral("读序列号成功 %1   01:07:09 PM").arg(i);
    return lines;
}

// Stands in for the desktop's file manager.
class FolderOpener : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

TEST(PaneCap, KeepsAtMostTheLast100000LinesAndTheSessionLogKeepsThemAll)
{
    QTemporaryDir dir;
    LogPane pane;
    SessionLog log(dir.path(), QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)));
    pane.setSessionLog(&log);
    const QStringList all = numbered(0, 300000);

    // Up to the limit nothing goes; past it, the oldest go in one batch.
    pane.add(all.mid(0, LogPane::kMaxLines).join(QLatin1Char('\n')));
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaxLines);
    for (int sent = LogPane::kMaxLines; sent < all.size(); sent += LogPane::kTrimBatch) {
        pane.add(all.mid(sent, LogPane::kTrimBatch).join(QLatin1Char('\n')));
        ASSERT_LE(pane.document()->blockCount(), LogPane::kMaxLines) << sent;
    }
    const QStringList shown = pane.lines();
    ASSERT_EQ(shown.size(), LogPane::kMaxLines);
    EXPECT_EQ(shown.first(), all[200000]);
    EXPECT_EQ(shown.last(), all.last());

    log.drain();
    EXPECT_EQ(fileLines(log.path()), all);
}

TEST(PaneCap, AReaderScrolledBackKeepsTheSameLinesInView)
{
    LogPane pane;
    pane.resize(300, 400);
    pane.show();
    pane.add(numbered(0, LogPane::kMaxLines).join(QLatin1Char('\n')));
    QCoreApplication::processEvents();
    pane.verticalScrollBar()->setValue(50000);
    const auto top = [&] { return pane.cursorForPosition(QPoint(0, 0)).block().text(); };
    const QString before = top();
    pane.add(QStringLiteral("one more"));
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaxLines - LogPane::kTrimBatch);
    EXPECT_EQ(top(), before);
}

struct SessionLogs : WindowTest {
    void TearDown() override
    {
        if (form)
            form->sessionLogs->keepAction->setChecked(true);
        WindowTest::TearDown();
    }
};

TEST_F(SessionLogs, ToolsMenuBetweenStypeAndAboutKeepsTheLinesOfTheRun)
{
    QStringList menus;
    for (QAction *a : form->menuBar()->actions())
        menus << a->menu()->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(menus, (QStringList{"N1=System", "N2=Stype", "ToolsMenu=Tools", "N3=About"}));
    auto *tools = form->findChild<QMenu *>(QStringLiteral("ToolsMenu"));
    ASSERT_NE(tools, nullptr);
    QStringList items;
    for (QAction *a : tools->actions())
        items << a->objectName() + QLatin1Char('=') + a->text() + (a->isCheckable() ? "?" : "") +
                     (a->isChecked() ? "!" : "");
    // The menu holds other tools too; these two stand together.
    const qsizetype at = items.indexOf("ToolsOpenSessionLogs=Open session logs folder");
    ASSERT_GE(at, 0) << items.join(' ').toStdString();
    EXPECT_EQ(items.mid(at, 2), (QStringList{"ToolsOpenSessionLogs=Open session logs folder",
                                             "ToolsKeepSessionLogs=Keep session logs?!"}));

    SessionLog *log = form->sessionLogs->log();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->path().startsWith(sessionlogs::defaultFolder() + QLatin1Char('/')));
    form->log(QStringLiteral("Set Up Success   01:07:09 PM\r\n"));
    form->logPane->MenuItem1Click(); // Clear empties the pane, not the log
    form->log(QStringLiteral("after the clear"));
    log->drain();
    EXPECT_EQ(fileLines(log->path()), (QStringList{"Set Up Success   01:07:09 PM", "", "after the clear"}));

    FolderOpener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    find<QAction>("ToolsOpenSessionLogs")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl::fromLocalFile(sessionlogs::defaultFolder())});
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(SessionLogs, KeepIsRememberedAndOffWritesNothing)
{
    const QString firstPath = form->sessionLogs->log()->path();
    find<QAction>("ToolsKeepSessionLogs")->trigger();
    EXPECT_EQ(form->sessionLogs->log(), nullptr);
    EXPECT_EQ(form->logPane->sessionLog(), nullptr);
    form->log(QStringLiteral("not in any file"));

    form = std::make_unique<TForm1>(usb);
    EXPECT_FALSE(find<QAction>("ToolsKeepSessionLogs")->isChecked());
    EXPECT_EQ(form->sessionLogs->log(), nullptr);
    find<QAction>("ToolsKeepSessionLogs")->trigger();
    ASSERT_NE(form->sessionLogs->log(), nullptr);
    EXPECT_NE(form->sessionLogs->log()->path(), firstPath);
    EXPECT_EQ(QFileInfo(firstPath).size(), 0) << "the first log was left as it was";
}

TEST(SessionLogSwitchTest, AFullDiskSaysSoOnceAndThePaneGoesOn)
{
    guard::setErrorDisplay([](const QString &m) { ADD_FAILURE() << m.toStdString(); });
    appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)); });
    LogPane pane;
    FakeDevice device{FakeDevice::Step::Write, ENOSPC, 12};
    SessionLogSwitch logs(pane, nullptr, device.calls());
    pane.add(QStringLiteral("first line, cut"));
    const auto paused = [&] { return pane.lines().filter(QStringLiteral("Session log paused")); };
    EXPECT_TRUE(pumpUntil([&] { return !paused().isEmpty(); }, 3000));
    pane.add(QStringLiteral("the pane goes on"));
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(paused(), QStringList{QStringLiteral("Session log paused: writing %1 failed (No space left on device). "
                                                   "The lines go on here only.   01:07:09 PM")
                                        .arg(logs.log()->path())});
    EXPECT_EQ(pane.lines().last(), "the pane goes on");
    EXPECT_EQ(fileLines(logs.log()->path()), QStringList{"first line, "});
    appclock::setSource({});
    guard::setErrorDisplay({});
}

} // namespace

#include "test_sessionlogs.moc"
