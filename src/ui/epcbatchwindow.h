#pragma once

#include "commission/batchplan.h"
#include "epc/commissioningjob.h"
#include "epc/journalrow.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class CueBanner;
class EpcSourceBox;
class JournalRowsView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class JobRunner;
class ReaderLink;

namespace commission
{
class BatchJob;
} // namespace commission

// Tools > EPC batch encoding...: writes a batch of EPCs tag after tag through the reader's UHF
// module, reads each back, journals it and cues the person feeding tags.
//
// The batch runs as a job of a job runner, on a thread of its own: the journal is opened and
// written there, each exchange is handed to the link on this thread, and cues, progress and
// rows come back as queued signals, so the window never waits for the batch. Pause, Resume and
// Stop act at the job's next poll. Closing this window or the main window during a batch asks
// first, then lets the current tag finish and be journalled, and closes once the job has
// ended.
class EpcBatchWindow : public QWidget
{
    Q_OBJECT
public:
    // parent: the main window, whose closing is held back while a batch runs.
    explicit EpcBatchWindow(ReaderLink &link, QWidget *parent = nullptr);
    ~EpcBatchWindow() override;

    bool isRunning() const;

    // Hears every cue besides the person at the reader: in simulation, the simulated reader's
    // person who takes tags away and lays new ones. Set once by main(); tests set their own.
    static void setCueFollower(std::function<void(const epc::Cue &)> follower);
    // Asks a yes/no question (a message box); tests answer it themselves.
    static void setConfirm(std::function<bool(const QString &)> confirm);

    void start();
    void pauseOrResume();
    void stopAfterTag();

    EpcSourceBox *source;
    QSpinBox *count;
    QLineEdit *journalPath;
    QPushButton *journalChoose;
    QLineEdit *station;
    QCheckBox *resume;
    QCheckBox *verify;
    QLineEdit *password;
    QPushButton *startButton;
    QPushButton *pauseButton;
    QPushButton *stopButton;
    QPushButton *exportEpcisButton;
    CueBanner *banner;
    QLabel *progressText;
    QLabel *currentText;
    QProgressBar *progressBar;
    QLabel *notes;
    JournalRowsView *rows;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSettings();
    QWidget *buildButtons();
    commission::BatchPlan plan() const;
    void chooseJournal();
    void setRunning(bool running);
    void opened(const QStringList &openingNotes, qint64 total);
    void showCue(const epc::Cue &cue);
    void showRow(const epc::JournalRow &row, const QDateTime &time);
    void showProgress(const epc::Progress &progress);
    void showEnd(const epc::JobResult &result);
    // The job has returned: the journal is closed. error: the batch could not start (a wrong
    // field, a journal in use) or its end's error.
    void finished(const QString &error);
    // Asks whether to stop the batch; on yes, stops it after the current tag.
    bool confirmStop(const QString &question);

    ReaderLink &link_;
    std::unique_ptr<JobRunner> runner_;
    std::unique_ptr<commission::BatchJob> batch_; // the batch running, or the one that ran last
    std::optional<qint64> total_;                 // EPCs the source gives, where known
    std::optional<epc::JournalRow> lastRow_;      // the row appended last, for the failure's reason
    std::optional<epc::JobResult> result_;        // the batch's end, once it came
    QString endError_;                            // and why it ended early
    bool paused_ = false;
    enum class Then { Nothing, CloseWindow, CloseMain } then_ = Then::Nothing;
};
