#include "epc/verifiedrows.h"

#include "epc/csvverifiedrows.h"

namespace epc
{

std::unique_ptr<VerifiedRows> openVerifiedRows(const QString &journal)
{
    return std::make_unique<CsvVerifiedRows>(journal);
}

} // namespace epc
