#pragma once

#include "epc/verifiedrows.h"

namespace epc
{

// The verified rows of a shared journal: every station's and every batch's, in the order of
// their times. The database reads them to this process in slices through a cursor, so that a
// long journal is never held whole; the rows are those committed when the reading begins.
class SharedVerifiedRows : public VerifiedRows
{
public:
    // Throws UserError when uri is malformed; nothing is connected to yet.
    explicit SharedVerifiedRows(const QString &uri);

    QString name() const override { return name_; }
    // Also throws UserError when the database cannot be reached or holds no shared journal.
    void forEach(const std::optional<QDateTime> &since,
                 const std::function<void(const VerifiedTag &)> &each) const override;

private:
    QString uri_;
    QString name_; // without the password
};

} // namespace epc
