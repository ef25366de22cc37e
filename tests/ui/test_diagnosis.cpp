#include "support/windowtest.h"
#include "ui/connectiontools.h"
#include "ui/diagnosiswindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace
{

using diag::Finding;
using diag::Severity;

Finding finding(Severity severity, const QString &summary, const QStringList &fix = {})
{
    Finding f;
    f.severity = severity;
    f.summary = summary;
    f.fix = fix;
    return f;
}

struct Diagnosis : WindowTest {
    std::atomic<int> runs{0};
    DiagnosisWindow *open(DiagnosisWindow::Checks checks)
    {
        form->connectionTools->checks = [this, checks] {
            ++runs;
            return checks();
        };
        find<QAction>("ToolsDiagnose")->trigger();
        DiagnosisWindow *window = form->connectionTools->diagnosis;
        EXPECT_NE(window, nullptr);
        return window;
    }
    static bool waitChecked(DiagnosisWindow *window)
    {
        const QMetaObject::Connection c = QObject::connect(window, &DiagnosisWindow::checked, [] { waits::notify(); });
        waits::waitUntil(5000, [window] { return !window->running(); });
        QObject::disconnect(c);
        return !window->running();
    }
};

TEST_F(Diagnosis, EachFindingWithItsFixAndTheCommandsToCopy)
{
    const QList<Finding> findings = {
        finding(Severity::Error, "You cannot open the reader.",
                {"Install the rule:", "  sudo apt install ./rfid.deb", "  sudo udevadm control --reload"}),
        finding(Severity::Warning, "ModemManager is running.", {"Stop it:", "  sudo systemctl stop ModemManager"}),
        finding(Severity::Ok, "Serial port ttyUSB0: you can open it.")};
    DiagnosisWindow *window = open([findings] { return findings; });
    ASSERT_TRUE(waitChecked(window));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->report->toPlainText(), diag::formatReport(findings)) << "the text the command line prints";
    EXPECT_EQ(window->verdictLabel->text(), "1 error, 1 warning.");
    EXPECT_TRUE(window->report->isReadOnly());
    EXPECT_TRUE(window->report->textInteractionFlags() & Qt::TextSelectableByMouse);
    window->copyButton->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
              "sudo apt install ./rfid.deb\nsudo udevadm control --reload\nsudo systemctl stop ModemManager");

    // Again: one more run; the same window comes back when asked for again.
    window->againButton->click();
    ASSERT_TRUE(waitChecked(window));
    EXPECT_EQ(runs, 2);
    window->closeButton->click();
    EXPECT_FALSE(window->isVisible());
    find<QAction>("ToolsDiagnose")->trigger();
    EXPECT_EQ(form->connectionTools->diagnosis, window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Diagnosis, SlowChecksKeepTheWindowLiveAndAFailingOneIsAFinding)
{
    // Slow checks: they end only once the window has handled its timer a few times meanwhile
    // (or after ten seconds, when it could not), and a second request is not a second run.
    std::atomic<int> ticks{0};
    std::atomic<bool> liveMeanwhile{false};
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    DiagnosisWindow *window = open([&] {
        const int from = ticks;
        for (int i = 0; i < 1000 && ticks < from + 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        liveMeanwhile = ticks >= from + 3;
        return QList<Finding>{};
    });
    EXPECT_TRUE(window->running());
    EXPECT_FALSE(window->againButton->isEnabled());
    window->runChecks();
    ASSERT_TRUE(waitChecked(window));
    EXPECT_TRUE(liveMeanwhile) << "the window's events went on while the checks ran";
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(window->verdictLabel->text(), "Nothing in the way found.");
    EXPECT_FALSE(window->copyButton->isEnabled()) << "no commands to copy";

    form->connectionTools->checks = []() -> QList<Finding> { throw std::runtime_error("proc went away"); };
    delete window;
    find<QAction>("ToolsDiagnose")->trigger();
    window = form->connectionTools->diagnosis;
    ASSERT_TRUE(waitChecked(window));
    EXPECT_TRUE(window->report->toPlainText().startsWith("error: The checks stopped half-way: proc went away"));

    // Closing the main window while the checks run waits for them, without a crash.
    form->connectionTools->checks = [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return QList<Finding>{};
    };
    window->runChecks();
    form.reset();
}

// The machine's own checks, on a machine that has nothing the checks could read: findings.
TEST_F(Diagnosis, TheEngineOnAnEmptyMachine)
{
    qputenv("RFID_DIAG_ROOT", "/nonexistent/machine");
    find<QAction>("ToolsDiagnose")->trigger();
    DiagnosisWindow *window = form->connectionTools->diagnosis;
    const bool done = waitChecked(window);
    qunsetenv("RFID_DIAG_ROOT");
    ASSERT_TRUE(done);
    EXPECT_TRUE(window->report->toPlainText().startsWith("error: No reader found"))
        << window->report->toPlainText().toStdString();
}

} // namespace
