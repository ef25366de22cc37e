#pragma once

#include "epc/journalstore.h"
#include "epc/pgconnection.h"

#include <QString>
#include <deque>
#include <memory>
#include <optional>

namespace epc
{

// A batch as the shared journal knows it: two stations with the same name share its number
// space, and must have the same source.
struct SharedBatch {
    QString name;               // e.g. urn:epc:idpat:sgtin:0614141.812345.* for a GS1 sequence
    QString source;             // what the EPCs are: the first one, the step, a list's digest
    std::optional<qint64> size; // how many indexes the source has, where known
};

struct SharedJournalOptions {
    QString station;              // names this station in every row and lease
    int leaseSize = 100;          // indexes leased at a time
    int leaseExpirySeconds = 600; // a lease not renewed for this long is given to others
    std::optional<qint64> count;  // indexes this station takes in this run; nothing for all
    bool resume = false;          // take over leases this station left, even live ones
};

// The commissioning journal in a PostgreSQL database that several stations share.
//
// Numbers are leased in blocks. A lease is taken in one transaction that first locks the
// batch's row (SELECT ... FOR NO KEY UPDATE): every lease of a batch waits for the one before it, so
// no index is ever given twice, without the retry loop that SERIALIZABLE would need on a row
// that every station's lease touches. Inside it, leases that expired give their unused
// numbers back (state free), the new lease takes free numbers first, lowest first, then fresh
// ones from next_index. A station uses only its lease: its intent row turns the number from
// leased (by its lease) to used in the same transaction that claims the EPC in rfid_hold, so
// a number that went elsewhere after the lease expired is refused there, and an EPC another
// tag holds or may hold is never written. Every intent renews the station's lease; at the end
// the station returns what it did not use, with a "returned" row for each.
class SharedJournal : public JournalStore
{
public:
    // Connects, creates the tables where missing, finds or creates the batch. Throws
    // UserError when the database cannot be reached, is newer than this program, holds the
    // batch with another source, or (without resume) sees this station's live lease.
    SharedJournal(const QString &uri, const SharedBatch &batch, const SharedJournalOptions &options);
    ~SharedJournal() override;

    QString name() const override { return db_->name(); }
    void checkStart(bool) const override {}
    std::optional<qint64> nextIndex(const EpcSource &source) override;
    bool isDone(qint64) const override { return false; } // a lease holds no done index
    std::optional<JournalState::Holder> epcHolder(const QByteArray &epc) const override;
    std::optional<qint64> tidIndex(const QByteArray &tid) const override;
    std::optional<JournalState::TidHold> tidHold(const QByteArray &tid) const override;
    std::optional<IntentRefusal> recordIntent(const JournalRow &row) override;
    QString append(JournalRow &row) override;
    void finish() override;

    // Leases taken in this run, and indexes taken over from this station's earlier run.
    qint64 leasesTaken() const { return leasesTaken_; }
    // Wall time spent taking leases, for the figures.
    double leaseSeconds() const { return double(leaseNs_) / 1e9; }
    qint64 adopted() const { return adopted_; }

private:
    struct Leased {
        qint64 index;
        qint64 lease;
    };
    void lease();
    void adoptOwnLeases();
    void insertRow(const JournalRow &row, const QDateTime &time);
    void recorded(const JournalRow &row, const QDateTime &time);

    std::unique_ptr<PgConnection> db_;
    // The job asks about the same tag's EPC and TID twice before its intent (settle, then
    // refuse): the answers are kept until this station records anything.
    mutable std::optional<std::pair<QByteArray, std::optional<JournalState::Holder>>> epcAsked_;
    mutable std::optional<std::pair<QByteArray, std::optional<JournalState::TidHold>>> tidAsked_;
    SharedJournalOptions options_;
    qint64 batchId_ = 0;
    std::deque<Leased> leased_;     // this station's numbers, in the order it uses them
    std::optional<Leased> current_; // the one handed to the job last
    QList<qint64> leaseIds_;        // the leases it holds
    qint64 taken_ = 0;              // indexes handed to the job
    qint64 leasesTaken_ = 0;
    qint64 leaseNs_ = 0;
    qint64 adopted_ = 0;
    bool exhausted_ = false; // the source has no index left to lease
};

} // namespace epc
