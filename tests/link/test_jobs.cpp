#include "base/errors.h"
#include "link/jobrunner.h"
#include "link/readerlink.h"
#include "link/waits.h"
#include "protocol/system.h"
#include "support/fixedclock.h"
#include "support/pump.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// A job on the runner's thread, talking to the reader through the link on this thread: how each
// of its exchanges ends, and how stop, wake, the program's end and a page's command meet it.
// (Run under the thread sanitizer too, with the rest of the link's tests.)
namespace
{

using Outcome = protocol::Exchange::Outcome;

// Answers each frame as the case says: in the call, from the event loop a little later, never,
// or with the reader gone; tells the case about each frame as it is written.
struct JobTransport : UsbTransport {
    enum class Answer { Now, Later, Never, Gone };
    std::function<Answer(int frame)> answer;
    std::function<void(int frame)> onFrame;
    QList<QByteArray> sent;

    void start(const QByteArray &frame, int, Done done) override
    {
        const int n = int(sent.size());
        sent << frame;
        if (onFrame)
            onFrame(n);
        UsbReply r;
        r.written = int(frame.size());
        switch (answer ? answer(n) : Answer::Now) {
        case Answer::Now:
            r.frame = QByteArray::fromHex("AA00010001BB");
            done(r);
            break;
        case Answer::Later:
            r.frame = QByteArray::fromHex("AA00010001BB");
            QTimer::singleShot(10, [done, r] { done(r); });
            break;
        case Answer::Never:
            break;
        case Answer::Gone:
            r.gone = true;
            r.presence = ReaderPresence::Absent;
            done(r);
            break;
        }
    }
    QString description() const override { return QStringLiteral("job test reader"); }
};

// What the test job did: up to `exchanges` exchanges, a pause after the first, an end at a stop
// or when the reader cannot be reached.
struct JobRecord {
    QList<Outcome> outcomes;
    bool sawStop = false;
};

protocol::Request request(int waitMs, protocol::WaitRule rule)
{
    protocol::Request r = protocol::hfsystem::readIdentity();
    r.waitMs = waitMs;
    r.waitRule = rule;
    return r;
}

using JobsTest = FixedClockTest;

TEST_F(JobsTest, EachWayAJobsExchangeCanEnd)
{
    using Answer = JobTransport::Answer;
    struct Rig {
        std::unique_ptr<ReaderLink> link;
        std::unique_ptr<JobRunner> runner;
        JobTransport usb;
        std::optional<protocol::Exchange> page; // a page's command sent during the job
    };
    struct Case {
        const char *name;
        int exchanges;
        int waitMs;
        int pauseMs; // after the first exchange
        std::function<Answer(int)> answer;
        std::function<void(int frame, Rig &)> onFrame;
        QList<Outcome> outcomes;
        int framesSent;
        bool sawStop;
    } cases[] = {
        {"answered, in the call and from the event loop",
         3,
         1000,
         0,
         [](int n) { return n == 1 ? Answer::Later : Answer::Now; },
         {},
         {Outcome::Answered, Outcome::Answered, Outcome::Answered},
         3,
         false},
        {"no answer within the wait", 1, 20, 0, [](int) { return Answer::Never; }, {}, {Outcome::NoAnswer}, 1, false},
        {"reader gone mid-job",
         3,
         1000,
         0,
         [](int n) { return n == 0 ? Answer::Now : Answer::Gone; },
         {},
         {Outcome::Answered, Outcome::Gone},
         2,
         false},
        {"the program ends while the job waits in the port",
         3,
         600000,
         0,
         [](int) { return Answer::Never; },
         [](int, Rig &) { QTimer::singleShot(0, [] { waits::cancelAll(); }); },
         {Outcome::NoReader},
         1,
         true},
        {"the link goes away while the job waits in the port",
         3,
         600000,
         0,
         [](int) { return Answer::Never; },
         [](int, Rig &rig) { QTimer::singleShot(0, [&rig] { rig.link.reset(); }); },
         {Outcome::NoReader},
         1,
         true},
        {"stop: the exchange in hand ends, no other starts",
         5,
         1000,
         0,
         {},
         [](int n, Rig &rig) {
             if (n == 1)
                 rig.runner->stop();
         },
         {Outcome::Answered, Outcome::Answered},
         2,
         true},
        {"a long pause ends when the runner is woken",
         2,
         1000,
         600000,
         {},
         [](int n, Rig &rig) {
             if (n == 0)
                 QTimer::singleShot(20, rig.runner.get(), [&rig] { rig.runner->wake(); });
         },
         {Outcome::Answered, Outcome::Answered},
         2,
         false},
        {"a page's command supersedes the job's, which asks again after it",
         2,
         600000,
         0,
         [](int n) { return n == 0 ? Answer::Never : Answer::Later; },
         [](int n, Rig &rig) {
             if (n == 0)
                 QTimer::singleShot(
                     0, [&rig] { rig.page = rig.link->exchange(request(1000, protocol::WaitRule::Whole)); });
         },
         {Outcome::Superseded, Outcome::Answered},
         3,
         false},
    };
    for (const Case &c : cases) {
        waits::resetForTests();
        Rig rig;
        rig.usb.answer = c.answer;
        rig.usb.onFrame = [&](int n) {
            if (c.onFrame)
                c.onFrame(n, rig);
        };
        rig.link = std::make_unique<ReaderLink>(rig.usb);
        rig.runner = std::make_unique<JobRunner>(*rig.link);
        std::optional<QString> finished;
        QObject::connect(rig.runner.get(), &JobRunner::finished, [&](const QString &error) { finished = error; });

        JobRecord record;
        // The superseded job's command ends at once, so that its next one reaches the link while
        // the page's is still under way: it must wait for it.
        const protocol::WaitRule rule = protocol::WaitRule::TakeReplied;
        ASSERT_TRUE(rig.runner->start([&record, c, rule](JobControl &control) {
            for (int i = 0; i < c.exchanges && !control.stopRequested(); ++i) {
                const protocol::Exchange e = control.port().exchange(request(c.waitMs, rule));
                record.outcomes << e.outcome;
                if (e.outcome == Outcome::NoReader || e.outcome == Outcome::Gone)
                    break;
                if (i == 0 && c.pauseMs > 0)
                    control.pause(c.pauseMs);
            }
            record.sawStop = control.stopRequested();
        })) << c.name;
        EXPECT_FALSE(rig.runner->start([](JobControl &) {})) << c.name << ": one job at a time";
        ASSERT_TRUE(pumpUntil([&] { return finished.has_value(); }, 120000)) << c.name;

        EXPECT_EQ(record.outcomes, c.outcomes) << c.name;
        EXPECT_EQ(record.sawStop, c.sawStop) << c.name;
        EXPECT_EQ(rig.usb.sent.size(), c.framesSent) << c.name;
        EXPECT_EQ(*finished, QString()) << c.name;
        EXPECT_FALSE(rig.runner->isRunning()) << c.name;
        if (rig.page) {
            EXPECT_EQ(rig.page->outcome, Outcome::Answered) << c.name << ": the page's command is never superseded";
        }
    }
}

TEST_F(JobsTest, AnErrorTheJobLetsOutIsItsEndAndTheNextJobRuns)
{
    JobTransport usb;
    ReaderLink link(usb);
    JobRunner runner(link);
    QStringList ends;
    QObject::connect(&runner, &JobRunner::finished, [&](const QString &error) { ends << error; });
    ASSERT_TRUE(runner.start([](JobControl &) { throw UserError(QStringLiteral("the journal is full")); }));
    ASSERT_TRUE(pumpUntil([&] { return ends.size() == 1; }, 120000));
    std::optional<Outcome> second;
    ASSERT_TRUE(runner.start([&second](JobControl &control) {
        second = control.port().exchange(request(1000, protocol::WaitRule::Whole)).outcome;
    }));
    ASSERT_TRUE(pumpUntil([&] { return ends.size() == 2; }, 120000));
    EXPECT_EQ(ends, QStringList({"the journal is full", ""}));
    EXPECT_EQ(second, Outcome::Answered);
}

TEST_F(JobsTest, DestroyingTheRunnerEndsAJobWaitingInThePort)
{
    JobTransport usb;
    usb.answer = [](int) { return JobTransport::Answer::Never; };
    ReaderLink link(usb);
    std::optional<Outcome> outcome;
    {
        JobRunner runner(link);
        runner.start([&outcome](JobControl &control) {
            outcome = control.port().exchange(request(600000, protocol::WaitRule::Whole)).outcome;
        });
        ASSERT_TRUE(pumpUntil([&] { return usb.sent.size() == 1; }, 120000));
    } // joins the runner's thread: a hang here is the fault
    EXPECT_EQ(outcome, Outcome::NoReader);
}

} // namespace
