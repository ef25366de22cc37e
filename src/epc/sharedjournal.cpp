#include "epc/sharedjournal.h"

#include "base/clock.h"
#include "epc/epctext.h"
#include "epc/journalschema.h"

#include <QElapsedTimer>
#include <QScopeGuard>

namespace epc
{
namespace
{

HoldKind holdKind(const QString &word)
{
    if (word == QLatin1String("seen"))
        return HoldKind::Seen;
    if (word == QLatin1String("intent"))
        return HoldKind::Intent;
    return HoldKind::Written;
}

QString tidText(const QByteArray &tid)
{
    return tid.isEmpty() ? QString() : QStringLiteral(" (TID %1)").arg(toHex(tid));
}

} // namespace

SharedJournal::SharedJournal(const QString &uri, const SharedBatch &batch, const SharedJournalOptions &options)
    : db_(std::make_unique<PgConnection>(uri)), options_(options)
{
    if (options_.station.trimmed().isEmpty())
        throw UserError(QStringLiteral("the station name is empty: every row of a shared journal names its station"));
    options_.leaseSize = std::max(1, options_.leaseSize);
    options_.leaseExpirySeconds = std::max(1, options_.leaseExpirySeconds);
    ensureJournalSchema(*db_);
    const QVariant size = batch.size ? QVariant(*batch.size) : QVariant();
    db_->exec("INSERT INTO rfid_batch (name, source, size) VALUES ($1, $2, $3) ON CONFLICT (name) DO NOTHING",
              {batch.name, batch.source, size});
    const PgRows found = db_->exec("SELECT id, source FROM rfid_batch WHERE name = $1", {batch.name});
    if (found.count() != 1)
        throw UserError(
            QStringLiteral("the journal database %1 lost batch %2 while it was made").arg(name(), batch.name));
    if (found.text(0, 1) != batch.source)
        throw UserError(QStringLiteral("batch %1 in the journal database %2 has another source: it holds \"%3\", this "
                                       "station gives \"%4\". Stations share a batch only with the same source; "
                                       "give this one another batch name, or the batch's source")
                            .arg(batch.name, name(), found.text(0, 1), batch.source));
    batchId_ = found.number(0, 0);
    adoptOwnLeases();
}

SharedJournal::~SharedJournal() = default;

void SharedJournal::adoptOwnLeases()
{
    db_->transaction([&] {
        const PgRows open = db_->exec("SELECT id, first_index, last_index, expires > now(), expires FROM rfid_lease "
                                      "WHERE batch_id = $1 AND station = $2 AND ended IS NULL ORDER BY id FOR UPDATE",
                                      {batchId_, options_.station});
        for (int r = 0; r < open.count(); ++r)
            if (open.text(r, 3) == QLatin1String("t") && !options_.resume)
                throw UserError(QStringLiteral("station %1 holds a live lease of batch indexes %2 to %3 (until %4): "
                                               "another process works as %1, or one stopped without returning "
                                               "it. Give each station its own name, or --resume to take it over")
                                    .arg(options_.station)
                                    .arg(open.number(r, 1))
                                    .arg(open.number(r, 2))
                                    .arg(open.text(r, 4)));
        // Leases this station left (killed, power cut) are its own again at once, expired or not,
        // unless another station's lease took their numbers back already.
        for (int r = 0; r < open.count(); ++r) {
            const qint64 id = open.number(r, 0);
            const PgRows numbers =
                db_->exec("SELECT idx FROM rfid_number WHERE lease_id = $1 AND state = 'leased' ORDER BY idx", {id});
            for (int n = 0; n < numbers.count(); ++n)
                leased_.push_back(Leased{numbers.number(n, 0), id});
            adopted_ += numbers.count();
            leaseIds_ << id;
        }
        if (!leaseIds_.isEmpty())
            db_->exec("UPDATE rfid_lease SET expires = now() + $2 * interval '1 second' "
                      "WHERE batch_id = $1 AND station = $3 AND ended IS NULL",
                      {batchId_, options_.leaseExpirySeconds, options_.station});
    });
}

void SharedJournal::lease()
{
    const qint64 want =
        options_.count ? std::min<qint64>(options_.leaseSize, *options_.count - taken_) : qint64(options_.leaseSize);
    if (want <= 0)
        return;
    QElapsedTimer clock;
    clock.start();
    const auto timed = qScopeGuard([&] { leaseNs_ += clock.nsecsElapsed(); });
    db_->transaction([&] {
        // NO KEY UPDATE: leases wait for each other, while the rows every tag inserts (whose
        // foreign keys share-lock this row's key) go on meanwhile.
        const PgRows batch =
            db_->exec("SELECT next_index, size FROM rfid_batch WHERE id = $1 FOR NO KEY UPDATE", {batchId_});
        // Numbers of leases that were not renewed in time are free for anyone.
        db_->exec("WITH gone AS (UPDATE rfid_lease SET ended = now() WHERE batch_id = $1 AND ended IS NULL AND "
                  "expires < now() RETURNING id) "
                  "UPDATE rfid_number SET state = 'free', lease_id = NULL "
                  "WHERE lease_id IN (SELECT id FROM gone) AND state = 'leased'",
                  {batchId_});
        const qint64 id = db_->exec("INSERT INTO rfid_lease (batch_id, station, first_index, last_index, expires) "
                                    "VALUES ($1, $2, 0, -1, now() + $3 * interval '1 second') RETURNING id",
                                    {batchId_, options_.station, options_.leaseExpirySeconds})
                              .number(0, 0);
        const PgRows reused = db_->exec("UPDATE rfid_number SET state = 'leased', lease_id = $2 "
                                        "WHERE batch_id = $1 AND idx IN (SELECT idx FROM rfid_number "
                                        "WHERE batch_id = $1 AND state = 'free' ORDER BY idx LIMIT $3) "
                                        "RETURNING idx",
                                        {batchId_, id, want});
        std::vector<qint64> got;
        for (int r = 0; r < reused.count(); ++r)
            got.push_back(reused.number(r, 0));
        std::sort(got.begin(), got.end());
        const qint64 next = batch.number(0, 0);
        qint64 fresh = want - qint64(got.size());
        if (!batch.isNull(0, 1))
            fresh = std::max<qint64>(0, std::min(fresh, batch.number(0, 1) - next));
        if (fresh > 0) {
            db_->exec("INSERT INTO rfid_number (batch_id, idx, state, lease_id) "
                      "SELECT $1, g, 'leased', $2 FROM generate_series($3::bigint, $4::bigint) g",
                      {batchId_, id, next, next + fresh - 1});
            db_->exec("UPDATE rfid_batch SET next_index = $2 WHERE id = $1", {batchId_, next + fresh});
            for (qint64 i = next; i < next + fresh; ++i)
                got.push_back(i);
        }
        if (got.empty()) {
            db_->exec("DELETE FROM rfid_lease WHERE id = $1", {id});
            exhausted_ = true;
            return;
        }
        db_->exec("UPDATE rfid_lease SET first_index = $2, last_index = $3 WHERE id = $1",
                  {id, got.front(), got.back()});
        for (const qint64 i : got)
            leased_.push_back(Leased{i, id});
        leaseIds_ << id;
        ++leasesTaken_;
    });
}

std::optional<qint64> SharedJournal::nextIndex(const EpcSource &)
{
    current_.reset();
    if (options_.count && taken_ >= *options_.count)
        return std::nullopt;
    if (leased_.empty() && !exhausted_)
        lease();
    if (leased_.empty())
        return std::nullopt;
    ++taken_;
    current_ = leased_.front();
    leased_.pop_front();
    return current_->index;
}

std::optional<JournalState::Holder> SharedJournal::epcHolder(const QByteArray &epc) const
{
    if (epcAsked_ && epcAsked_->first == epc)
        return epcAsked_->second;
    const PgRows r = db_->exec("SELECT idx, tid, kind FROM rfid_hold WHERE epc = $1", {epc});
    std::optional<JournalState::Holder> holder;
    if (r.count())
        holder = JournalState::Holder{r.number(0, 0), r.bytes(0, 1), holdKind(r.text(0, 2))};
    epcAsked_.emplace(epc, holder);
    return holder;
}

std::optional<qint64> SharedJournal::tidIndex(const QByteArray &tid) const
{
    if (tid.isEmpty())
        return std::nullopt;
    const PgRows r =
        db_->exec("SELECT idx FROM rfid_row WHERE tid = $1 AND result IN ('verified', 'written') LIMIT 1", {tid});
    return r.count() ? std::optional<qint64>(r.number(0, 0)) : std::nullopt;
}

std::optional<JournalState::TidHold> SharedJournal::tidHold(const QByteArray &tid) const
{
    if (tid.isEmpty())
        return std::nullopt;
    if (tidAsked_ && tidAsked_->first == tid)
        return tidAsked_->second;
    // An intent of this batch first: only this batch's indexes can be settled here.
    const PgRows r = db_->exec("SELECT idx, epc, kind FROM rfid_hold WHERE tid = $1 AND kind IN ('intent', 'seen') "
                               "AND (kind = 'seen' OR batch_id = $2) ORDER BY kind = 'intent' DESC LIMIT 1",
                               {tid, batchId_});
    std::optional<JournalState::TidHold> hold;
    if (r.count())
        hold = JournalState::TidHold{r.number(0, 0), r.bytes(0, 1), holdKind(r.text(0, 2))};
    tidAsked_.emplace(tid, hold);
    return hold;
}

void SharedJournal::insertRow(const JournalRow &row, const QDateTime &time)
{
    const QString stamp = time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
    db_->exec("INSERT INTO rfid_row (batch_id, station, time, utc_offset, idx, epc, tid, result, attempts, detail) "
              "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)",
              {batchId_, options_.station, stamp, time.offsetFromUtc(), row.index, row.epc, row.tid,
               QString::fromLatin1(resultWord(row.result)), row.attempts, row.detail});
}

void SharedJournal::recorded(const JournalRow &row, const QDateTime &time)
{
    epcAsked_.reset();
    tidAsked_.reset();
    if (onAppended)
        onAppended(row, time);
}

std::optional<IntentRefusal> SharedJournal::recordIntent(const JournalRow &row)
{
    epcAsked_.reset();
    tidAsked_.reset();
    const qint64 lease = current_ && current_->index == row.index ? current_->lease : -1;
    const QDateTime time = appclock::now();
    const auto refused = db_->transaction([&]() -> std::optional<IntentRefusal> {
        if (!row.tid.isEmpty()) {
            const PgRows w = db_->exec("SELECT idx, station FROM rfid_row WHERE tid = $1 AND result IN ('verified', "
                                       "'written') LIMIT 1",
                                       {row.tid});
            if (w.count())
                return IntentRefusal{IntentRefusal::Kind::TagWritten,
                                     QStringLiteral("This tag (TID %1) is already written: index %2 at station %3")
                                         .arg(toHex(row.tid))
                                         .arg(w.number(0, 0))
                                         .arg(w.text(0, 1))};
        }
        const PgRows mine = db_->exec("UPDATE rfid_number SET state = 'used' WHERE batch_id = $1 AND idx = $2 AND "
                                      "state = 'leased' AND lease_id = $3 RETURNING idx",
                                      {batchId_, row.index, lease});
        if (!mine.count())
            return IntentRefusal{IntentRefusal::Kind::IndexTaken,
                                 QStringLiteral("index %1 is no longer this station's: its lease expired and went to "
                                                "another")
                                     .arg(row.index)};
        const PgRows claimed = db_->exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) "
                                         "VALUES ($1, $2, $3, $4, $5, 'intent') ON CONFLICT (epc) DO NOTHING "
                                         "RETURNING idx",
                                         {row.epc, row.tid, batchId_, row.index, options_.station});
        if (!claimed.count()) {
            // The number stays used: its EPC is another tag's, so it never goes to a tag.
            const PgRows h = db_->exec("SELECT h.idx, h.tid, h.kind, h.station, b.name FROM rfid_hold h "
                                       "JOIN rfid_batch b ON b.id = h.batch_id WHERE h.epc = $1",
                                       {row.epc});
            const QString how = h.text(0, 2) == QLatin1String("intent") ? QStringLiteral("meant for")
                                : h.text(0, 2) == QLatin1String("seen") ? QStringLiteral("seen on")
                                                                        : QStringLiteral("written to");
            return IntentRefusal{IntentRefusal::Kind::EpcHeld,
                                 QStringLiteral("the journal holds EPC %1 as %2 the tag%3 of index %4 of batch %5 at "
                                                "station %6")
                                     .arg(toHex(row.epc), how, tidText(h.bytes(0, 1)))
                                     .arg(h.number(0, 0))
                                     .arg(h.text(0, 4), h.text(0, 3))};
        }
        insertRow(row, time);
        db_->exec("UPDATE rfid_lease SET expires = now() + $2 * interval '1 second' WHERE id = $1 AND ended IS NULL",
                  {lease, options_.leaseExpirySeconds});
        return std::nullopt;
    });
    if (refused && refused->kind == IntentRefusal::Kind::IndexTaken)
        --taken_; // it does not count: the job asks for another
    if (!refused || refused->kind != IntentRefusal::Kind::TagWritten)
        current_.reset(); // a refused tag leaves the index to the next tag
    if (!refused)
        recorded(row, time);
    return refused;
}

QString SharedJournal::append(JournalRow &row)
{
    epcAsked_.reset();
    tidAsked_.reset();
    const QDateTime time = appclock::now();
    QString refusedWhy;
    try {
        db_->transaction([&] {
            insertRow(row, time);
            switch (row.result) {
            case TagResult::Verified:
            case TagResult::Written:
                db_->exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) "
                          "VALUES ($1, $2, $3, $4, $5, 'written') ON CONFLICT (epc) DO UPDATE SET kind = 'written' "
                          "WHERE rfid_hold.kind <> 'written' AND rfid_hold.tid = EXCLUDED.tid",
                          {row.epc, row.tid, batchId_, row.index, options_.station});
                break;
            case TagResult::Failed:
                if (row.attempts == 0 && current_ && current_->index == row.index)
                    // Not written because its EPC is held: it never goes to a tag.
                    db_->exec("UPDATE rfid_number SET state = 'used' WHERE batch_id = $1 AND idx = $2 AND state = "
                              "'leased' AND lease_id = $3",
                              {batchId_, row.index, current_->lease});
                break;
            case TagResult::Seen: {
                const PgRows meant = db_->exec("DELETE FROM rfid_hold WHERE batch_id = $1 AND idx = $2 AND kind = "
                                               "'intent' AND tid = $3 RETURNING epc",
                                               {batchId_, row.index, row.tid});
                db_->exec("INSERT INTO rfid_hold (epc, tid, batch_id, idx, station, kind) "
                          "VALUES ($1, $2, $3, $4, $5, 'seen') ON CONFLICT (epc) DO NOTHING",
                          {row.epc, row.tid, batchId_, row.index, options_.station});
                // The tag does not carry the index's EPC: another lease may give it out.
                if (meant.count() && meant.bytes(0, 0) != row.epc)
                    db_->exec("UPDATE rfid_number SET state = 'free', lease_id = NULL WHERE batch_id = $1 AND idx = "
                              "$2 AND state = 'used'",
                              {batchId_, row.index});
                break;
            }
            case TagResult::Intent:
                break;
            }
        });
    } catch (const PgConstraintError &e) {
        // Verified on another tag already (a station with a source of its own, say): the database
        // keeps its first row, and this tag is told.
        const bool tid = e.constraint() == QLatin1String("rfid_row_tid_once");
        refusedWhy = tid ? QStringLiteral("the journal refuses a second verified row of the tag%1: it is written "
                                          "already")
                               .arg(tidText(row.tid))
                         : QStringLiteral("the journal refuses a second verified row of EPC %1: another tag "
                                          "carries it; put this tag aside or rewrite it")
                               .arg(toHex(row.epc));
        if (row.result != TagResult::Verified && row.result != TagResult::Written)
            throw;
        row.result = TagResult::Failed;
        row.detail = refusedWhy;
        insertRow(row, time);
    }
    recorded(row, time);
    return refusedWhy;
}

void SharedJournal::finish()
{
    if (leaseIds_.isEmpty())
        return;
    QStringList ids;
    for (const qint64 id : leaseIds_)
        ids << QString::number(id);
    const QString array = u'{' + ids.join(u',') + u'}';
    const QDateTime time = appclock::now();
    const QString stamp = time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
    db_->transaction([&] {
        db_->exec("WITH back AS (UPDATE rfid_number SET state = 'free', lease_id = NULL "
                  "WHERE lease_id = ANY($1::bigint[]) AND state = 'leased' RETURNING idx) "
                  "INSERT INTO rfid_row (batch_id, station, time, utc_offset, idx, result, detail) "
                  "SELECT $2, $3, $4, $5, idx, 'returned', 'not used: leased again to the next station that asks' "
                  "FROM back",
                  {array, batchId_, options_.station, stamp, time.offsetFromUtc()});
        db_->exec("UPDATE rfid_lease SET ended = now() WHERE id = ANY($1::bigint[]) AND ended IS NULL", {array});
    });
    leaseIds_.clear();
    leased_.clear();
}

} // namespace epc
