#include "base/clock.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "support/faketransport.h"
#include "support/waitlog.h"
#include "support/windowtest.h"
#include "ui/filedialogs.h"
#include "ui/logpane.h"
#include "ui/optiongroups.h"
#include "ui/rawterminalgroup.h"
#include "ui/serialpage.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

struct Terminal : WindowTest {
    QList<filedialogs::Request> asked;
    QString answer;
    QTemporaryDir dir;
    RawTerminalGroup *t = nullptr;
    void SetUp() override
    {
        installSettings();
        filedialogs::setChooser([this](const filedialogs::Request &r) {
            asked << r;
            return answer;
        });
        form = std::make_unique<TForm1>(usb);
        buildPages(*form);
        t = form->serialPage->terminal;
        t->periodEdit->setText("0"); // no pause after a send unless a test wants one
    }
    QStringList log() const { return form->logPane->lines(); }
};

TEST_F(Terminal, HiddenGroupWithItsDefaults)
{
    EXPECT_EQ(t->objectName(), "GroupBox5");
    EXPECT_EQ(t->title(), QString::fromUtf8("发送信息"));
    EXPECT_TRUE(t->isHidden());
    EXPECT_EQ(t->sendBox->toPlainText(), "AA 00 03 85 01 78 ff BB");
    EXPECT_TRUE(t->serialSendRadio->isChecked());
    EXPECT_FALSE(t->usbSendRadio->isChecked());
    EXPECT_FALSE(t->autoSendBox->isChecked());
    TForm1 fresh(usb);
    buildPages(fresh);
    EXPECT_EQ(fresh.serialPage->terminal->periodEdit->text(), "1000");
    const OptionGroups *o = fresh.serialPage->options;
    EXPECT_TRUE(o->readWriteRadio->isChecked());
    EXPECT_FALSE(o->echoRadio->isChecked());
    EXPECT_TRUE(o->bigBuzzerRadio->isChecked());
    EXPECT_EQ(o->customByteEdit->text(), "2B");
    EXPECT_TRUE(o->readingStateGroup->isHidden());
    EXPECT_TRUE(o->buzzerGroup->isHidden());
}

TEST_F(Terminal, SendsTheBoxAsBytesAndLogsOnlyWhatTheLinkSays)
{
    const QString longFrame = QString("AB ").repeated(256);
    const struct {
        QString memo;
        bool echo;
        QString sent; // "-" when nothing goes out
        QStringList lines;
    } cases[] = {
        {"AA 00 03 85 01 78 ff BB", false, "AA 00 03 85 01 78 FF BB", {}},
        {"AA 0", false, "AA", {}},
        {"aa,00\n03 85\n\n01 78 ff bb\n", false, "AA 00 03 85 01 78 FF BB", {}},
        {"AA 00 03 85 01 78 ff BB", true, "AA 00 03 85 01 78 FF BB", {"Receive...AA00010001BB"}},
        {QString("AB ").repeated(255), false, QString("AB ").repeated(255).trimmed(), {}},
        {longFrame, false, "-", {"frame too long (256 bytes, at most 255): not sent"}},
    };
    for (const auto &c : cases) {
        form->logPane->clear();
        usb.sent.clear();
        usb.queued.clear();
        usb.reply("AA 00 01 00 01 BB");
        form->serialPage->options->echoRadio->setChecked(c.echo);
        form->serialPage->options->readWriteRadio->setChecked(!c.echo);
        t->sendBox->setPlainText(c.memo);
        t->sendButton->click();
        if (c.sent == "-")
            EXPECT_TRUE(usb.sent.isEmpty()) << c.memo.left(20).toStdString();
        else
            EXPECT_EQ(usb.lastSentHex(), c.sent) << c.memo.left(20).toStdString();
        EXPECT_EQ(log(), c.lines) << c.memo.left(20).toStdString();
    }
    usb.connected = false;
    form->logPane->clear();
    t->sendBox->setPlainText("AA BB");
    t->sendButton->click();
    EXPECT_EQ(log(), QStringList{"data error,please check Device Connection..."});
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Terminal, SendWaitsThePeriodAndRefusesABadOneBeforeSending)
{
    t->periodEdit->setText("150");
    QElapsedTimer clock;
    clock.start();
    t->sendButton->click();
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_EQ(usb.sent.size(), 1);
    for (const char *bad : {"", "abc", "-5", "1.5", "99999999999", "0x10"}) {
        errors.clear();
        usb.sent.clear();
        t->periodEdit->setText(bad);
        t->sendButton->click();
        EXPECT_EQ(errors.size(), 1) << bad;
        EXPECT_TRUE(usb.sent.isEmpty()) << bad;
    }
    // In the loop: one message, and the loop is over.
    errors.clear();
    t->periodEdit->setText("-1");
    t->autoSendBox->click();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(usb.sent.isEmpty());
}

TEST_F(Terminal, AutomaticSendingRunsUntilATabChangeUnticksIt)
{
    t->periodEdit->setText("20");
    int sentAtChange = -1;
    // The tab changes while the loop waits after its second frame.
    usb.responder = [&](const QByteArray &) {
        if (usb.sent.size() == 2)
            QTimer::singleShot(0, [&] {
                sentAtChange = int(usb.sent.size());
                form->pageControl->setCurrentIndex(form->pageControl->indexOf(form->serialPage));
            });
        return QByteArray();
    };
    t->autoSendBox->click();
    EXPECT_FALSE(t->autoSendBox->isChecked());
    EXPECT_GE(sentAtChange, 2);
    EXPECT_LE(usb.sent.size(), sentAtChange + 1) << "the loop ends after the wait it was in";
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Terminal, ClosingTheWindowDuringAutomaticSendingEndsCleanly)
{
    t->periodEdit->setText("5000");
    QTimer::singleShot(50, [&] { form->close(); });
    WaitLog waited;
    t->autoSendBox->click();
    const QList<waits::Record> periods = waited.of(5000);
    ASSERT_FALSE(periods.isEmpty());
    for (const waits::Record &r : periods)
        EXPECT_EQ(r.end, waits::End::Cancelled) << "closing the window ends the period's wait";
    EXPECT_EQ(usb.sent.size(), 1);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Terminal, LoadSaveAndEmptyTheBox)
{
    const QString path = dir.filePath("box.txt");
    t->sendBox->setPlainText(QString::fromUtf8("AA 00 03\n85 01 78 ff BB\n注释"));
    answer = path;
    t->saveButton->click();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(asked.last().title, QString::fromUtf8("保存接收数据！"));
    EXPECT_EQ(asked.last().filter, QString::fromUtf8("文本文件(.txt) (*.txt)"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QString::fromUtf8("AA 00 03\r\n85 01 78 ff BB\r\n注释\r\n").toUtf8());
    f.close();

    t->emptyButton->click();
    EXPECT_TRUE(t->sendBox->toPlainText().isEmpty());
    t->loadButton->click();
    EXPECT_EQ(asked.last().kind, filedialogs::Request::Kind::Open);
    EXPECT_EQ(asked.last().title, QString::fromUtf8("载入数据！"));
    EXPECT_TRUE(asked.last().filter.isEmpty());
    EXPECT_EQ(t->sendBoxLines(), (QStringList{"AA 00 03", "85 01 78 ff BB", QString::fromUtf8("注释")}));

    // An empty box saves an empty file; cancelling either dialog changes nothing.
    t->emptyButton->click();
    t->saveButton->click();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().isEmpty());
    f.close();
    t->sendBox->setPlainText("kept");
    answer.clear();
    t->loadButton->click();
    t->saveButton->click();
    EXPECT_EQ(t->sendBox->toPlainText(), "kept");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Terminal, LoadTakesEveryKindOfLineEndAndRefusesWhatItCannotRead)
{
    const struct {
        QByteArray file;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"\xEF\xBB\xBF"
         "AA BB\n",
         {"AA BB"}},
        {"\xFF\xFE"
         "AA",
         {QString::fromLatin1("\xFF\xFE"
                              "AA")}},
        {"a\n\n", {"a", ""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RawTerminalGroup::linesOf(c.file), c.lines) << c.file.toHex().constData();

    t->sendBox->setPlainText("unchanged");
    for (const QString &bad : {dir.filePath("missing.txt"), dir.path()}) {
        errors.clear();
        answer = bad;
        t->loadButton->click();
        EXPECT_EQ(errors.size(), 1) << bad.toStdString();
        EXPECT_EQ(t->sendBox->toPlainText(), "unchanged");
    }
    errors.clear();
    answer = dir.filePath("none/box.txt");
    t->saveButton->click();
    EXPECT_EQ(errors.size(), 1);
}

} // namespace
