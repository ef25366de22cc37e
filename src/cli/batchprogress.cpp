#include "cli/batchprogress.h"

#include "cli/output.h"

namespace cli
{

namespace
{

constexpr int kMaxBarCells = 20;
constexpr int kMinBarCells = 5;
constexpr int kRedrawMs = 100;

} // namespace

BatchProgress::BatchProgress(Output &output, std::optional<qint64> total, int columns)
    : output_(output), total_(total), columns_(columns)
{
    started_.start();
    pending_.setSingleShot(true);
    QObject::connect(&pending_, &QTimer::timeout, [this] { show(); });
}

void BatchProgress::progress(const epc::Progress &p)
{
    progress_ = p;
    show();
}

void BatchProgress::cue(const QString &text)
{
    cue_ = text;
    show();
}

void BatchProgress::finish()
{
    if (pending_.isActive()) {
        shownAtMs_ = -1;
        show();
    }
}

void BatchProgress::show()
{
    const qint64 ms = started_.elapsed();
    if (shownAtMs_ >= 0 && ms - shownAtMs_ < kRedrawMs) {
        if (!pending_.isActive())
            pending_.start(int(kRedrawMs - (ms - shownAtMs_)));
        return;
    }
    pending_.stop();
    shownAtMs_ = ms;
    // Of the tags this run wrote: skipped ones took no time.
    const double rate = progress_.done() > 0 && ms > 0 ? 1000.0 * double(progress_.done()) / double(ms) : -1;
    output_.progress(line(progress_, total_, rate, cue_, columns_));
}

QString BatchProgress::figures(const epc::Progress &p, std::optional<qint64> total, double tagsPerSecond,
                               const QString &cue)
{
    // Skipped indexes count as done.
    const qint64 done = p.done() + p.skipped;
    QString text = total ? QStringLiteral("%1/%2").arg(done).arg(*total) : QString::number(done);
    // One run either verifies every tag or none: written counts only without verification.
    if (p.verified || !p.written)
        text += QStringLiteral("  %1 verified").arg(p.verified);
    if (p.written)
        text += QStringLiteral("  %1 written").arg(p.written);
    text += QStringLiteral("  %1 failed  ").arg(p.failed);
    text += tagsPerSecond < 0 ? QStringLiteral("- tags/s")
                              : QStringLiteral("%1 tags/s").arg(tagsPerSecond, 0, 'f', tagsPerSecond < 10 ? 1 : 0);
    if (!cue.isEmpty())
        text += QStringLiteral("  ") + QString(cue).replace(u'\n', u' ');
    return text;
}

QString BatchProgress::line(const epc::Progress &p, std::optional<qint64> total, double tagsPerSecond,
                            const QString &cue, int columns)
{
    QString text = figures(p, total, tagsPerSecond, cue);
    const qint64 done = p.done() + p.skipped;
    const int room = std::max(10, columns - 1);
    const int cells = barCells(total, columns);
    if (total && cells > 0) {
        const int filled = int(std::min<qint64>(cells, cells * done / std::max<qint64>(1, *total)));
        text = QStringLiteral("[%1%2] ").arg(QString(filled, u'#'), QString(cells - filled, u'.')) + text;
    }
    if (text.size() > room)
        text = text.left(room - 3) + QStringLiteral("...");
    return text;
}

int BatchProgress::barCells(std::optional<qint64> total, int columns)
{
    if (!total)
        return 0;
    // The same width on every line: what room the widest usual line leaves (every count as
    // long as the total, four-digit rate, the longest short cue).
    const epc::Progress widest{-1, *total, 0, *total, 0};
    const int used = int(figures(widest, total, 9999, QStringLiteral("Place the next tag")).size());
    const int cells = std::min(kMaxBarCells, std::max(10, columns - 1) - used - 3);
    return cells >= kMinBarCells ? cells : 0;
}

} // namespace cli
