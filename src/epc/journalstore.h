#pragma once

#include "epc/epcsource.h"
#include "epc/journalrow.h"
#include "epc/journalstate.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace epc
{

// Why a journal will not take an intent: the tag is not written, and nothing is recorded.
struct IntentRefusal {
    enum class Kind {
        IndexTaken, // the index is no longer this station's (its lease expired and went elsewhere)
        EpcHeld,    // another tag holds the EPC, or may
        TagWritten, // the tag (its TID) is written already
    };
    Kind kind;
    QString text;
};

// Where the commissioning job records its rows and learns what tags hold: the CSV journal of
// one station, or a database shared by several. Every call returns once the row is durable;
// a journal that cannot take a row (a full disk, a lost connection) throws UserError.
class JournalStore
{
public:
    virtual ~JournalStore() = default;

    // For messages: the file's path, or the database's address without its password.
    virtual QString name() const = 0;
    // Throws UserError when a job may not start on this journal as it is (rows held and no
    // resume; another process working as this station).
    virtual void checkStart(bool resume) const = 0;

    // The next index this job is to write, or nothing when its share is done. A one-station
    // journal takes the source's order up to its count; a shared one hands out its leases.
    virtual std::optional<qint64> nextIndex(const EpcSource &source) = 0;
    // Done earlier (verified, or written without verification).
    virtual bool isDone(qint64 index) const = 0;
    virtual std::optional<JournalState::Holder> epcHolder(const QByteArray &epc) const = 0;
    virtual std::optional<qint64> tidIndex(const QByteArray &tid) const = 0;
    virtual std::optional<JournalState::TidHold> tidHold(const QByteArray &tid) const = 0;

    // Records an intent row (row.result Intent) before the tag is written, or says why the
    // tag must not be written with it.
    virtual std::optional<IntentRefusal> recordIntent(const JournalRow &row) = 0;
    // Records any other row. A journal that refuses it as given (a shared one whose
    // constraints find the EPC or TID verified on another tag) records it as failed, says why
    // in its detail, and returns that reason; an empty text when it took the row as given.
    virtual QString append(JournalRow &row) = 0;
    // The job ended: gives back what it was handed and did not use.
    virtual void finish() {}

    // Called with each row once it is recorded, and its time stamp.
    std::function<void(const JournalRow &, const QDateTime &)> onAppended;
};

} // namespace epc
