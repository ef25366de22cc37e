#pragma once

#include "ui/inventorychart.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>

class InventoryFeed;
class InventoryModel;
class JobRunner;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class ReaderLink;
class TagMemoryDialog;

namespace field
{
struct ReadBatch;
}

// Tools > Tag inventory...: every tag in the UHF module's field, read continuously as fast as
// the reader answers, one row per distinct EPC with its counts and signal strength, a chart of
// the last minute, the table's export, and the memory of the tag a row shows.
//
// The inventory runs as a job of a job runner, on a thread of its own; its reads come back in
// batches about every 100 ms through a queued signal, and the table takes each batch by the
// rows it touched, so the window never waits for the reader. Closing the window stops the
// job after the round in hand.
class InventoryWindow : public QWidget
{
    Q_OBJECT
public:
    // Reads are handed on at most this often.
    static constexpr int kBatchMs = 100;
    // The reads per second, the chart and the status line are brought up to date this often.
    static constexpr int kTickMs = 1000;

    explicit InventoryWindow(ReaderLink &link, QWidget *parent = nullptr);
    ~InventoryWindow() override;

    // From Start until the job has ended.
    bool isRunning() const { return inventoryRunning_; }

    void start();
    void stop();
    void clearTable();
    // Asks for a file and writes the rows shown.
    void exportCsv();
    void exportJson();
    // The tag memory dialog of the selected row (the inventory is stopped first).
    void openTagMemory();

    // Where the job's batches arrive; a measurement may feed it as a job does.
    InventoryFeed &feed() { return *feed_; }
    // The tag memory dialog opened last, while it exists.
    TagMemoryDialog *tagMemory() const;

    QPushButton *startButton;
    QPushButton *stopButton;
    QPushButton *clearButton;
    QCheckBox *readTids;
    QLineEdit *filter;
    QPushButton *memoryButton;
    QPushButton *exportCsvButton;
    QPushButton *exportJsonButton;
    QTableView *table;
    InventoryModel *model;
    InventoryChart *chart;
    QLabel *statusText;

signals:
    // The inventory job has ended and the window shows how.
    void inventoryEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    // The rates, chart and status follow the clock while the window is shown, running or not
    // (the rates fall to nothing after a stop, the chart moves on).
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildControls();
    JobRunner &runner();
    void setRunning(bool running);
    void takeBatch(const field::ReadBatch &batch);
    void jobEnded(int end, const QString &why);
    void finished(const QString &error);
    void tick();
    void showStatus();
    void plot();
    void exportTo(const QString &title, const QString &filter, bool json);

    ReaderLink &link_;
    std::unique_ptr<InventoryFeed> feed_; // declared before runner_: outlives the job
    std::unique_ptr<JobRunner> runner_;
    std::shared_ptr<std::atomic<bool>> stop_; // the running inventory's stop flag
    QTimer *tickTimer_;
    QPointer<TagMemoryDialog> memoryDialog_;
    bool inventoryRunning_ = false;
    bool memoryAfterStop_ = false; // Tag memory was asked for while the inventory ran
    QString endNote_;              // how the last inventory ended
};
