#include "epc/epctext.h"
#include "epc/gs1codec.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "sim/cuefollower.h"
#include "sim/simulatedreader.h"
#include "support/core/helpers.h"
#include "support/pump.h"
#include "ui/cuebanner.h"
#include "ui/epcbatchwindow.h"
#include "ui/epcsourcebox.h"
#include "ui/journalrowsview.h"
#include "ui/tform1.h"

#include "support/windowtest.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

// Tools > EPC batch encoding... in the main window against the simulated reader, whose person
// follows the cues as in --simulate: faults armed tag by tag, the journal checked row by row.
// The batch runs on the job runner's thread; the tests run the window's event loop until it
// has ended.

namespace
{

using Fault = UhfModule::TagFault;

// Presses Start and runs the event loop until the batch has ended (the limit only keeps a
// hang from blocking the run).
bool runBatch(EpcBatchWindow &window)
{
    window.startButton->click();
    return pumpUntil([&window] { return !window.isRunning(); }, 120000);
}

// The journal's rows after its header but for the intent rows (the window does not show them),
// split at commas outside quotes.
QList<QStringList> journalRows(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), "time,index,epc,tid,result,attempts,detail");
    QList<QStringList> rows;
    for (const QString &line : lines.mid(1)) {
        QStringList cells;
        QString cell;
        bool quoted = false;
        for (const QChar c : line) {
            if (c == u'"')
                quoted = !quoted;
            else if (c == u',' && !quoted)
                cells << std::exchange(cell, QString());
            else
                cell += c;
        }
        if ((cells << cell).value(4) != QLatin1String("intent"))
            rows << cells;
    }
    return rows;
}

struct BatchWindowTest : WindowTestBase {
    SimulatedReader reader;
    QTemporaryDir dir;
    QString journal = dir.filePath(QStringLiteral("journal.csv"));
    EpcBatchWindow *window = nullptr;
    QList<epc::CueKind> cues;
    std::function<void(const epc::Cue &)> onCue; // the test's own doing, after the person's

    void SetUp() override
    {
        openWindow(reader);
        form->findChild<QAction *>(QStringLiteral("ToolsEpcBatch"))->trigger();
        window = form->epcBatch;
        ASSERT_TRUE(window && window->isVisible());
        EpcBatchWindow::setCueFollower([this](const epc::Cue &c) {
            cues << c.kind;
            sim::followCue(reader.uhf(), c.kind);
            if (onCue)
                onCue(c);
        });
        window->source->gs1First->setText(QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789"));
        window->journalPath->setText(journal);
    }
    void TearDown() override
    {
        EpcBatchWindow::setCueFollower({});
        EpcBatchWindow::setConfirm({});
        WindowTestBase::TearDown();
    }
};

TEST_F(BatchWindowTest, EachArmedFaultEndsInItsJournalRow)
{
    // The fault of the tag laid for each index; armed when the tag before it is taken away.
    const Fault faults[] = {Fault::None,          Fault::Locked,    Fault::OtherValue,
                            Fault::LeavesOnWrite, Fault::SecondTag, Fault::None};
    onCue = [&](const epc::Cue &c) {
        if ((c.kind == epc::CueKind::RemoveTag || c.kind == epc::CueKind::Failed) && c.index + 1 < 6)
            reader.uhf().armTagFault(faults[c.index + 1]);
    };
    window->count->setValue(6);
    ASSERT_TRUE(runBatch(*window));

    struct Expected {
        int index;
        const char *result;
        const char *attempts;
        const char *detail;
    };
    // After a failed write, the value the tag keeps is recorded: the locked tag's blank one, and
    // index 1's EPC on the tag that kept another value than index 2's.
    const Expected expected[] = {
        {0, "verified", "1", ""},
        {1, "failed", "3", "write: the tag refused (locked, or another access password)"},
        {1, "seen", "3",
         "the tag carries this value after the failed write of EPC 3074257BF7194E4000001A86: put "
         "it aside or rewrite it"},
        {2, "failed", "3", "read back 3074257BF7194E4000001A86, expected 3074257BF7194E4000001A87"},
        {2, "seen", "3",
         "the tag carries this value after the failed write of EPC 3074257BF7194E4000001A87: put "
         "it aside or rewrite it"},
        {3, "failed", "1",
         "the tag left the field during the write; the tag may carry EPC 3074257BF7194E4000001A88, "
         "which no other tag gets: put it aside, and place it again to settle index 3"},
        {4, "verified", "1", ""},
        {5, "verified", "1", ""},
    };
    const QList<QStringList> rows = journalRows(journal);
    ASSERT_EQ(rows.size(), 8);
    QStringList tids;
    for (int i = 0; i < 8; ++i) {
        const QStringList &r = rows[i];
        const Expected &e = expected[i];
        ASSERT_EQ(r.size(), 7) << i;
        EXPECT_EQ(r[1], QString::number(e.index));
        // Serials 6789 ... 6794 of the GS1 sequence.
        if (QLatin1String(e.result) != QLatin1String("seen")) {
            EXPECT_EQ(r[2], epc::toHex(epc::encode(epc::parseTagUri(
                                QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.%1").arg(6789 + e.index)))))
                << i;
        }
        EXPECT_EQ(r[4], e.result) << i;
        EXPECT_EQ(r[5], e.attempts) << i;
        EXPECT_EQ(r[6], e.detail) << i;
        EXPECT_EQ(r[3].size(), 24) << "a 96-bit TID for every tag, " << i;
        tids << r[3];
        // The window shows the row as the file has it (its time without milliseconds).
        EXPECT_EQ(window->rows->rowTexts(i).mid(1), r.mid(1)) << i;
    }
    EXPECT_EQ(rows[4][2], rows[1][2]) << "the tag of index 2 kept index 1's EPC";
    tids.removeDuplicates();
    EXPECT_EQ(tids.size(), 6) << "a fresh tag for every index";
    EXPECT_TRUE(cues.contains(epc::CueKind::SeveralTags));
    EXPECT_EQ(window->banner->headline(), "Batch done, not every tag succeeded");
    EXPECT_TRUE(window->banner->detail().startsWith("3 verified, 3 failed")) << qPrintable(window->banner->detail());
    EXPECT_TRUE(window->startButton->isEnabled());
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));

    // A second run resuming the journal writes the failed indexes again, but for index 1, whose
    // EPC a tag kept, and index 3, whose tag may carry its EPC: only index 2 is written.
    const int writesBefore = int(reader.tagLog().size());
    window->resume->setChecked(true);
    onCue = {};
    ASSERT_TRUE(runBatch(*window));
    const QList<QStringList> again = journalRows(journal);
    ASSERT_EQ(again.size(), 11);
    for (int i = 8; i < 11; ++i)
        EXPECT_EQ(again[i][1] + ":" + again[i][4], QStringList({"1:failed", "2:verified", "3:failed"})[i - 8]);
    EXPECT_EQ(reader.tagLog().size(), writesBefore + 1);
    EXPECT_EQ(window->banner->headline(), "Batch done, not every tag succeeded");
}

TEST_F(BatchWindowTest, ClosingTheMainWindowAsksThenStopsAfterTheTag)
{
    struct Case {
        bool quit;
        int rows;
    } cases[] = {{false, 5}, {true, 3}};
    for (const Case &c : cases) {
        QFile::remove(journal);
        waits::resetForTests();
        int asked = 0;
        EpcBatchWindow::setConfirm([&](const QString &q) {
            ++asked;
            EXPECT_TRUE(q.contains("quit")) << qPrintable(q);
            return c.quit;
        });
        onCue = [&](const epc::Cue &cue) {
            if (cue.kind == epc::CueKind::RemoveTag && cue.index == 2)
                form->close();
        };
        form->show();
        const qsizetype writesBefore = reader.tagLog().size();
        window->count->setValue(5);
        ASSERT_TRUE(runBatch(*window));
        QCoreApplication::processEvents(); // the close held back until the batch ended
        EXPECT_EQ(asked, 1) << c.quit;
        EXPECT_EQ(journalRows(journal).size(), c.rows) << c.quit;
        EXPECT_EQ(reader.tagLog().size() - writesBefore, c.rows) << "every tag written has its row, " << c.quit;
        EXPECT_EQ(form->isVisible(), !c.quit) << c.quit;
        EXPECT_FALSE(window->isRunning());
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

TEST_F(BatchWindowTest, StopPauseAndClosingActAtTheJobsNextPoll)
{
    enum class Act { Stop, PauseThenResume, CloseWindow };
    struct Case {
        const char *name;
        Act act;
        int rows;
        const char *headline;
        bool shown;
    } cases[] = {
        {"stop after this tag", Act::Stop, 2, "Stopped", true},
        {"pause, then resume", Act::PauseThenResume, 4, "Batch complete", true},
        {"closing the window asks, then stops after the tag", Act::CloseWindow, 2, "Stopped", false},
    };
    for (const Case &c : cases) {
        QFile::remove(journal);
        window->show();
        QStringList asked;
        EpcBatchWindow::setConfirm([&](const QString &q) {
            asked << q;
            return true;
        });
        qsizetype writesAtResume = -1;
        const qsizetype writesBefore = reader.tagLog().size();
        onCue = [&](const epc::Cue &cue) {
            if (cue.kind == epc::CueKind::RemoveTag && cue.index == 1) {
                if (c.act == Act::Stop)
                    window->stopButton->click();
                else if (c.act == Act::PauseThenResume)
                    window->pauseButton->click();
                else
                    window->close();
            }
            if (cue.kind == epc::CueKind::Paused)
                QTimer::singleShot(30, window, [&] {
                    writesAtResume = reader.tagLog().size() - writesBefore;
                    window->pauseButton->click();
                });
        };
        window->count->setValue(4);
        ASSERT_TRUE(runBatch(*window)) << c.name;
        QCoreApplication::processEvents(); // a close held back until the batch ended
        EXPECT_EQ(journalRows(journal).size(), c.rows) << c.name;
        EXPECT_EQ(reader.tagLog().size() - writesBefore, c.rows) << c.name << ": every tag written has its row";
        EXPECT_EQ(window->banner->headline(), c.headline) << c.name;
        EXPECT_EQ(window->isVisible(), c.shown) << c.name;
        EXPECT_EQ(asked.size(), c.act == Act::CloseWindow ? 1 : 0) << c.name;
        if (c.act == Act::PauseThenResume) {
            EXPECT_EQ(writesAtResume, 2) << "nothing written while paused";
            EXPECT_EQ(cues.count(epc::CueKind::Paused), 1);
        }
        EXPECT_TRUE(window->startButton->isEnabled()) << c.name;
        EXPECT_TRUE(errors.isEmpty()) << c.name << ": " << qPrintable(errors.join('\n'));
        cues.clear();
    }
}

TEST_F(BatchWindowTest, WrongFieldsAreRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char *name;
        std::function<void(EpcBatchWindow &)> set;
        const char *message;
    } cases[] = {
        {"not a URI", [](EpcBatchWindow &w) { w.source->gs1First->setText("urn:epc:tag:sgtin-96:3.0614141.81234X.1"); },
         "item reference"},
        {"not GS1", [](EpcBatchWindow &w) { w.source->gs1First->setText("E2000000"); }, "no GS1 EPC"},
        {"bad hex",
         [](EpcBatchWindow &w) {
             w.source->hexSource->setChecked(true);
             w.source->hexFirst->setText("30 0G");
         },
         "not a hex digit"},
        {"no count for a sequence", [](EpcBatchWindow &w) { w.count->setValue(0); }, "needs a count"},
        {"no journal", [](EpcBatchWindow &w) { w.journalPath->clear(); }, "no journal file"},
        {"bad password", [](EpcBatchWindow &w) { w.password->setText("12 34"); }, "access password"},
    };
    for (const Case &c : cases) {
        errors.clear();
        c.set(*window);
        const int frames = reader.framesReceived();
        ASSERT_TRUE(runBatch(*window)) << c.name;
        ASSERT_EQ(errors.size(), 1) << c.name;
        EXPECT_TRUE(errors[0].contains(QLatin1String(c.message))) << c.name << ": " << qPrintable(errors[0]);
        EXPECT_EQ(reader.framesReceived(), frames) << c.name;
        EXPECT_FALSE(QFile::exists(journal)) << c.name;
        SetUp(); // fresh fields
    }
}

} // namespace

namespace
{

TEST_F(WindowTest, ABatchEndsWithAMessageWhenTheReaderIsGone)
{
    usb.connected = false;
    QTemporaryDir dir;
    form->findChild<QAction *>(QStringLiteral("ToolsEpcBatch"))->trigger();
    EpcBatchWindow *window = form->epcBatch;
    window->journalPath->setText(dir.filePath(QStringLiteral("j.csv")));
    ASSERT_TRUE(runBatch(*window));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("The reader is gone")) << qPrintable(errors[0]);
    EXPECT_EQ(window->banner->headline(), "Reader gone");
    EXPECT_FALSE(window->isRunning());
    EXPECT_TRUE(window->startButton->isEnabled());
}

} // namespace
