#pragma once

#include "diag/finding.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QThread;

// "Diagnose connection": why a reader or a serial port cannot be reached. Shows the
// findings of the connection checks, each with its fix, as the one report text the command
// line prints too, so that any part of it can be selected and copied; "Copy commands" takes
// just the fix commands. The checks read sysfs, /dev and /proc, which on a busy machine takes
// a while: they run on a thread of their own and the window stays live. "Check again" runs
// them anew, e.g. after plugging the reader in.
class DiagnosisWindow : public QDialog
{
    Q_OBJECT
public:
    using Checks = std::function<QList<diag::Finding>()>;

    explicit DiagnosisWindow(Checks checks, QWidget *parent = nullptr);
    // Waits for checks that are still running.
    ~DiagnosisWindow() override;

    // Runs the checks (unless they are running now); the report shows when they are done.
    void runChecks();
    bool running() const { return running_; }
    const QList<diag::Finding> &findings() const { return findings_; }
    // The fix commands of every finding, one per line.
    QString commands() const;
    void copyCommands();

    QLabel *verdictLabel;
    QPlainTextEdit *report;
    QPushButton *againButton, *copyButton, *closeButton;

signals:
    // The report of a run is shown.
    void checked();

private:
    void showFindings(const QList<diag::Finding> &findings);

    Checks checks_;
    std::unique_ptr<QThread> thread_;
    bool running_ = false;
    QList<diag::Finding> findings_;
};
