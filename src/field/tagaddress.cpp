#include "field/tagaddress.h"

#include "base/hex.h"

namespace field
{

QString TagAddress::text() const
{
    return (by == By::Epc ? QStringLiteral("EPC ") : QStringLiteral("TID ")) + hex::fromBytes(id);
}

} // namespace field
