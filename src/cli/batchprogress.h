#pragma once

#include "epc/commissioningjob.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <optional>

namespace cli
{

class Output;

// A batch's one-line progress on a terminal: a bar, done of count, verified, failed, tags per
// second and what the person at the reader does now. Drawn at most ten times a second (a
// simulated batch changes it thousands of times), the latest state at the latest 100 ms after
// it changed: the timer runs in the event loop the batch waits in.
class BatchProgress
{
public:
    // columns: the terminal's width; the line stays narrower so that it never wraps (a
    // wrapped line cannot be overwritten from its start).
    BatchProgress(Output &output, std::optional<qint64> total, int columns);

    void progress(const epc::Progress &p);
    void cue(const QString &text);
    // Draws the latest state if it is not shown yet: the batch has ended.
    void finish();

private:
    // The line for these figures; tagsPerSecond below 0 when not known yet. The bar takes
    // what room the terminal leaves, none when that is little: the cue matters more.
    static QString line(const epc::Progress &p, std::optional<qint64> total, double tagsPerSecond, const QString &cue,
                        int columns);
    // The line without its bar.
    static QString figures(const epc::Progress &p, std::optional<qint64> total, double tagsPerSecond,
                           const QString &cue);
    static int barCells(std::optional<qint64> total, int columns);
    void show();

    Output &output_;
    std::optional<qint64> total_;
    int columns_;
    epc::Progress progress_;
    QString cue_;
    QElapsedTimer started_;
    qint64 shownAtMs_ = -1;
    QTimer pending_;
};

} // namespace cli
