#include "base/clock.h"
#include "cli/commandkit.h"
#include "cli/fieldkit.h"
#include "cli/interruptwatch.h"
#include "field/inventoryrun.h"
#include "field/tally.h"
#include "link/waits.h"
#include "protocol/tidchips.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

namespace cli
{

namespace
{

constexpr int kDefaultRounds = 10;
constexpr int kMaxRounds = 10000000;
constexpr double kMaxSeconds = 86400;

struct InventoryPlan {
    field::InventoryRun::Options run;
    bool follow = false;
};

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

InventoryPlan readPlan(CommandArgs &args)
{
    args.done();
    InventoryPlan plan;
    const auto rounds = args.value(QStringLiteral("rounds"));
    const auto seconds = args.value(QStringLiteral("seconds"));
    if (rounds && seconds)
        args.fail(QStringLiteral("--rounds and --seconds exclude each other: give one."));
    if (rounds)
        plan.run.rounds = args.number(*rounds, QStringLiteral("--rounds"), 1, kMaxRounds);
    if (seconds) {
        bool ok = false;
        const double s = seconds->trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(s) || s < 0.001 || s > kMaxSeconds)
            args.fail(QStringLiteral("--seconds must be a number of seconds from 0.001 to %1 (a fraction is fine), "
                                     "not '%2'.")
                          .arg(kMaxSeconds)
                          .arg(*seconds));
        plan.run.durationMs = qint64(std::llround(s * 1000));
    }
    plan.follow = args.isSet(QStringLiteral("follow"));
    if (!rounds && !seconds && !plan.follow)
        plan.run.rounds = kDefaultRounds;
    plan.run.readTids = args.isSet(QStringLiteral("tid"));
    return plan;
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// One read as --follow streams it.
void streamRead(Session &s, const QString &command, const field::TagRead &read, int round, bool withTid,
                const QHash<QByteArray, QByteArray> &tids)
{
    const QByteArray tid = tids.value(read.epc);
    const QString chip = tid.isEmpty() ? QString() : protocol::tid::identify(tid).text;
    if (s.output().json()) {
        Record r;
        r.add(QStringLiteral("time"), isoTime(read.timeMs));
        r.add(QStringLiteral("round"), round);
        r.hex(QStringLiteral("epc"), read.epc);
        r.hex(QStringLiteral("pc"), read.pc);
        r.add(QStringLiteral("rssi"), int(read.rssi));
        if (withTid) {
            r.add(QStringLiteral("tid"), orNull(hexText(tid)));
            r.add(QStringLiteral("chip"), orNull(chip));
        }
        s.output().success(command, r);
        return;
    }
    QString line = QStringLiteral("%1  %2  %3 dBm").arg(isoTime(read.timeMs), hexText(read.epc)).arg(int(read.rssi), 4);
    if (withTid && !tid.isEmpty())
        line += QStringLiteral("  %1  %2").arg(hexText(tid), chip);
    s.output().text(line + QLatin1Char('\n'));
}

// The table of tags for people: one line each, the header and the totals.
void tableNotes(Record &r, const field::Tally &tally, bool withTid)
{
    int epcWidth = 3;
    for (int row = 0; row < tally.size(); ++row)
        epcWidth = std::max(epcWidth, int(2 * tally.entry(row).epc.size()));
    QString head = QStringLiteral("%1  %2  %3  %4  %5  %6")
                       .arg(QStringLiteral("EPC"), -epcWidth)
                       .arg(QStringLiteral("COUNT"), 6)
                       .arg(QStringLiteral("RSSI"), 5)
                       .arg(QStringLiteral("MIN"), 4)
                       .arg(QStringLiteral("MAX"), 4)
                       .arg(QStringLiteral("MEAN"), 6);
    if (withTid)
        head += QStringLiteral("  %1  CHIP").arg(QStringLiteral("TID"), -24);
    r.note(head.trimmed());
    for (int row = 0; row < tally.size(); ++row) {
        const field::TallyEntry &e = tally.entry(row);
        QString line = QStringLiteral("%1  %2  %3  %4  %5  %6")
                           .arg(hexText(e.epc), -epcWidth)
                           .arg(e.count, 6)
                           .arg(int(e.rssiLast), 5)
                           .arg(int(e.rssiMin), 4)
                           .arg(int(e.rssiMax), 4)
                           .arg(e.rssiMean(), 6, 'f', 1);
        if (withTid)
            line += QStringLiteral("  %1  %2").arg(e.tid.isEmpty() ? QStringLiteral("-") : hexText(e.tid), -24).arg(e.chip);
        r.note(line.trimmed());
    }
}

Record report(const field::Tally &tally, const field::InventoryRun::Summary &summary, bool withTid)
{
    const double seconds = double(summary.elapsedMs) / 1000.0;
    const double rate = summary.elapsedMs > 0 ? double(summary.reads) / seconds : 0;
    Record r;
    r.data(QStringLiteral("rounds"), summary.rounds);
    r.data(QStringLiteral("reads"), double(summary.reads));
    r.data(QStringLiteral("seconds"), rounded(seconds, 3));
    r.data(QStringLiteral("reads_per_second"), rounded(rate, 1));
    QJsonArray tags;
    for (int row = 0; row < tally.size(); ++row) {
        const field::TallyEntry &e = tally.entry(row);
        QJsonObject t{{QStringLiteral("epc"), hexText(e.epc)},
                      {QStringLiteral("count"), double(e.count)},
                      {QStringLiteral("rssi_last"), int(e.rssiLast)},
                      {QStringLiteral("rssi_min"), int(e.rssiMin)},
                      {QStringLiteral("rssi_max"), int(e.rssiMax)},
                      {QStringLiteral("rssi_mean"), rounded(e.rssiMean(), 1)},
                      {QStringLiteral("first_seen"), isoTime(e.firstSeenMs)},
                      {QStringLiteral("last_seen"), isoTime(e.lastSeenMs)},
                      {QStringLiteral("tid"), e.tid.isEmpty() ? QJsonValue() : QJsonValue(hexText(e.tid))},
                      {QStringLiteral("chip"), orNull(e.chip)}};
        tags.append(t);
    }
    r.data(QStringLiteral("tags"), tags);
    tableNotes(r, tally, withTid);
    r.note(QStringLiteral("%1 tag%2, %3 reads in %4 rounds, %5 s (%6 reads/s)")
               .arg(tally.size())
               .arg(tally.size() == 1 ? "" : "s")
               .arg(summary.reads)
               .arg(summary.rounds)
               .arg(seconds, 0, 'f', 2)
               .arg(rate, 0, 'f', 0));
    return r;
}

std::optional<Record> runInventory(const InventoryPlan &plan, Session &s)
{
    const QString command = QStringLiteral("uhf inventory");
    field::ModuleChannel channel = moduleChannel(s);
    field::InventoryRun run(channel, plan.run);
    field::Tally tally(appclock::now().toMSecsSinceEpoch());
    QHash<QByteArray, QByteArray> tids;
    int round = 0;
    std::atomic<bool> stop{false};
    // Ctrl+C ends the run after the round in hand, with what was read.
    const InterruptWatch watch([&stop] {
        stop = true;
        waits::notify();
    });
    const field::InventoryRun::Summary summary = run.run(stop, [&](field::ReadBatch &&batch) {
        for (const field::TidRead &t : batch.tids)
            tids.insert(t.epc, t.tid);
        if (plan.follow) {
            round += batch.rounds;
            for (const field::TagRead &read : batch.reads)
                streamRead(s, command, read, round, plan.run.readTids, tids);
        } else {
            tally.add(batch);
        }
    });
    using End = field::InventoryRun::End;
    switch (summary.end) {
    case End::Limit:
    case End::Stopped:
        break;
    case End::ReaderGone:
        s.checkReached(channel.lastExchange());
        throw NoReader(summary.why + QLatin1Char('.'));
    case End::Silent:
        throw ReaderFailure(QStringLiteral("no_reply"),
                            QStringLiteral("%1 rounds in a row without an answer (%2).")
                                .arg(field::InventoryRun::kSilentRoundsToEnd)
                                .arg(summary.why),
                            std::nullopt, plan.follow ? Record() : report(tally, summary, plan.run.readTids));
    case End::Unsupported:
        throw ReaderFailure(QStringLiteral("refused"),
                            summary.why + QStringLiteral(": an inventory needs a UHF reader (with --simulate, the "
                                                         "keyboard-output one)."));
    }
    if (plan.follow)
        return std::nullopt;
    return report(tally, summary, plan.run.readTids);
}

Action inventory()
{
    return {
        .name = QStringLiteral("inventory"),
        .args = QStringLiteral("[--rounds N | --seconds S] [--tid] [--follow]"),
        .summary = QStringLiteral("List the tags in the field with their counts and signal strength."),
        .help = QStringLiteral(
            "Inventory rounds one after another, as fast as the reader answers: each round, the UHF module "
            "answers the tags it heard (with many tags a round can come back empty although tags are there). "
            "Without --rounds and --seconds, 10 rounds (with --follow: until Ctrl+C). Ctrl+C ends the run after "
            "the round in hand with what was read, exit status 0.\n\n"
            "Prints one line per distinct EPC: the count of reads and the RSSI (the module's signed byte, taken "
            "as dBm) last, lowest, highest and mean; with --tid also the TID of each tag, read once (a select by "
            "its EPC, then the TID bank), and the chip it names. Then the totals. With --json one object: rounds, "
            "reads, seconds, reads_per_second and tags, each with epc, count, rssi_last, rssi_min, rssi_max, "
            "rssi_mean, first_seen, last_seen (ISO 8601, UTC), tid and chip (null without --tid).\n\n"
            "--follow prints every read as it comes instead: time, EPC and RSSI (and TID and chip with --tid), "
            "one line each, or with --json one object each (time, round, epc, pc, rssi, tid, chip)."),
        .options = {option("rounds", "N", "Stop after N rounds (1 to 10000000; default 10)."),
                    option("seconds", "S", "Stop after S seconds (a fraction is fine)."),
                    flag("tid", "Read the TID of each tag once and name its chip."),
                    flag("follow", "Print every read as it comes, until --rounds, --seconds or Ctrl+C.")},
        .prepare = [](CommandArgs &args) -> Runner {
            const InventoryPlan plan = readPlan(args);
            return [plan](Session &s) { return runInventory(plan, s); };
        }};
}

} // namespace

Family uhfInventoryFamily()
{
    return {QStringLiteral("uhf"), QString(), QString(), {inventory()}};
}

} // namespace cli
