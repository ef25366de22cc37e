#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <ctime>
#include <functional>
#include <optional>

// The figures of the summary table: benchmarks note what they measured under a key, and each
// figure turns its notes into one value judged against its target.
namespace figures
{

// A clock's reading in nanoseconds: CLOCK_MONOTONIC for wall time, CLOCK_THREAD_CPUTIME_ID or
// CLOCK_PROCESS_CPUTIME_ID for processor time (which other programs on a shared machine do
// not inflate).
inline qint64 clockNs(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The last value noted under a key wins: a benchmark may run more than once to size its loop.
void note(const QString &key, double value);
std::optional<double> noted(const QString &key);
void clearNotes();

enum class Bound { AtMost, AtLeast };

struct Figure {
    QString name;
    QString target;
    QStringList keys;                                   // the notes it is computed from
    std::function<double(const QList<double> &)> value; // from the notes, in key order
    Bound bound = Bound::AtMost;
    double limit = 0;
    std::function<QString(const QList<double> &)> describe; // the measured column
    bool optional = false;                                  // left out of the table when its benchmark did not run
};

enum class Verdict { Pass, Fail };

struct Row {
    QString figure, target, measured;
    Verdict verdict = Verdict::Fail;
};

// The row of a figure from the current notes; nothing for an optional figure not measured.
// A figure with a note missing, or whose value is not a number, fails.
std::optional<Row> judge(const Figure &figure);

// "figure<TAB>target<TAB>measured<TAB>PASS|FAIL", the format scripts/bench.sh tabulates.
QString rowLine(const Row &row);

// A number with the given decimals, e.g. measured texts.
QString num(double value, int decimals);

} // namespace figures
