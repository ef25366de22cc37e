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
class ReaderLink;

namespace commission
{
class BatchSession;
class ReaderTagPort;
} // namespace commission

// Tools > EPC batch encoding...: writes a batch of EPCs tag after tag through the reader's UHF
// module, reads each back, journals it and cues the person feeding tags.
//
// The job runs on the window's thread, inside the Start handler: every exchange and every pause
// between polls waits in the event loop, as the link's waits do, so the window stays live and
// Pause, Resume and Stop act at the next poll. (The link and its transport belong to this
// thread, which a job thread would have to borrow them from.) Closing this window or the main
// window during a batch asks first, then lets the current tag finish and be journalled before
// it closes.
class EpcBatchWindow : public QWidget
{
    Q_OBJECT
public:
    // parent: the main window, whose closing is held back while a batch runs.
    explicit EpcBatchWindow(ReaderLink &link, QWidget *parent = nullptr);
    ~EpcBatchWindow() override;

    bool isRunning() const { return session_ != nullptr; }

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
    void pollWait(int ms);
    void wake();
    void showCue(const epc::Cue &cue);
    void showProgress(const epc::Progress &progress);
    void showEnd(const epc::JobResult &result);
    // Asks whether to stop the batch; on yes, stops it after the current tag.
    bool confirmStop(const QString &question);

    ReaderLink &link_;
    std::unique_ptr<commission::ReaderTagPort> port_;
    std::unique_ptr<commission::BatchSession> session_;
    std::optional<qint64> total_;            // EPCs the source gives, where known
    std::optional<epc::JournalRow> lastRow_; // the row appended last, for the failure's reason
    bool woken_ = false;                     // a button asks the job to look now
    bool paused_ = false;
    enum class Then { Nothing, CloseWindow, CloseMain } then_ = Then::Nothing;
};
