#include "epc/verifiedrows.h"

#include "epc/csvverifiedrows.h"
#include "epc/pgconnection.h"
#include "epc/sharedverifiedrows.h"

namespace epc
{

std::unique_ptr<VerifiedRows> openVerifiedRows(const QString &journal)
{
    if (isDatabaseUri(journal))
        return std::make_unique<SharedVerifiedRows>(journal.trimmed());
    return std::make_unique<CsvVerifiedRows>(journal);
}

} // namespace epc
