#pragma once

#include "epc/commissioningjob.h"
#include "epc/epcsource.h"
#include "epc/gs1codec.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace commission
{

enum class SourceKind {
    Gs1,  // a GS1 EPC whose serial counts up
    Hex,  // a hexadecimal number counted as the EPC page counts
    List, // a file of EPCs
};

// A batch as the window's fields or the command line's options give it, still as typed: every
// check happens in makeSource and jobOptions, with messages naming the field.
struct BatchPlan {
    SourceKind source = SourceKind::Gs1;
    QString first;                      // Gs1: tag URI, pure-identity URI (with filter) or hex; Hex: the first number
    std::optional<int> filter;          // the filter of a pure-identity first URI
    QString step = QStringLiteral("1"); // Hex: the hexadecimal step
    bool reverse = false;               // Hex: reverse addition
    QString listPath;                   // List
    std::optional<qint64> count;        // how many EPCs; nothing for the whole list (a sequence needs one)
    QString journalPath;                // a CSV file, or a PostgreSQL URI for a journal shared by several stations
    // A shared journal only: this station's name, the indexes leased at a time, how long an
    // unrenewed lease lasts, and the batch's name (empty: made from the source).
    QString station;
    int leaseSize = 100;
    int leaseExpirySeconds = 600;
    QString batchName;
    bool resume = false;
    bool verify = true;
    QString password = QStringLiteral("00000000"); // access password, 8 hex digits
};

// The largest count a batch takes.
constexpr qint64 kMaxCount = 100'000'000;

// What a typed EPC is, for showing beside the field: hex, tag URI, pure-identity URI.
struct EpcView {
    QByteArray bytes;
    epc::Decoded decoded;
};
// Throws UserError when text is no EPC (see epc::parseEpcText).
EpcView viewEpc(const QString &text, std::optional<int> filter);

// The GS1 EPC a sequence starts from; throws UserError when text is no EPC or no GS1 one.
epc::Gs1Epc firstGs1(const QString &text, std::optional<int> filter);

// An access password as 8 hex digits (blanks between pairs allowed); throws UserError.
quint32 parsePassword(const QString &text);

// The plan's source; throws UserError naming the field that is wrong. For a shared journal the
// count is this station's number of tags, not the source's length: the source is made without
// it, and the journal's leases decide which indexes the station takes.
std::unique_ptr<epc::EpcSource> makeSource(const BatchPlan &plan, bool shared = false);

// This computer's name: a station's name unless one is given.
QString defaultStation();

// The job's options from the plan; throws UserError for a bad password.
epc::JobOptions jobOptions(const BatchPlan &plan);

} // namespace commission
