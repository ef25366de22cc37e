#include "epc/gs1scheme.h"

namespace epc
{
namespace
{

// Header values, field bits and digit counts from the standard's partition tables.
constexpr std::array<SchemeInfo, 5> kSchemes = {{
    {Scheme::Sgtin96,
     0x30,
     "SGTIN-96",
     "sgtin-96",
     "sgtin",
     "item reference",
     "serial",
     13,
     38,
     {4, 7, 10, 14, 17, 20, 24},
     "F.C.I.S (filter.company prefix.item reference.serial)"},
    {Scheme::Sscc96,
     0x31,
     "SSCC-96",
     "sscc-96",
     "sscc",
     "serial reference",
     nullptr,
     17,
     0,
     {18, 21, 24, 28, 31, 34, 38},
     "F.C.S (filter.company prefix.serial reference)"},
    {Scheme::Sgln96,
     0x32,
     "SGLN-96",
     "sgln-96",
     "sgln",
     "location reference",
     "extension",
     12,
     41,
     {1, 4, 7, 11, 14, 17, 21},
     "F.C.L.E (filter.company prefix.location reference.extension)"},
    {Scheme::Grai96,
     0x33,
     "GRAI-96",
     "grai-96",
     "grai",
     "asset type",
     "serial",
     12,
     38,
     {4, 7, 10, 14, 17, 20, 24},
     "F.C.A.S (filter.company prefix.asset type.serial)"},
    {Scheme::Giai96,
     0x34,
     "GIAI-96",
     "giai-96",
     "giai",
     nullptr,
     "individual asset reference",
     0,
     0,
     {42, 45, 48, 52, 55, 58, 62},
     "F.C.A (filter.company prefix.individual asset reference)"},
}};

} // namespace

const SchemeInfo &schemeInfo(Scheme scheme)
{
    return kSchemes[size_t(scheme)];
}

const SchemeInfo *schemeByHeader(uint8_t header)
{
    for (const SchemeInfo &s : kSchemes)
        if (s.header == header)
            return &s;
    return nullptr;
}

const SchemeInfo *schemeByTagName(const QString &name)
{
    for (const SchemeInfo &s : kSchemes)
        if (name.compare(QLatin1String(s.tagName), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const SchemeInfo *schemeByIdName(const QString &name)
{
    for (const SchemeInfo &s : kSchemes)
        if (name.compare(QLatin1String(s.idName), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

int partitionForPrefixDigits(int digits)
{
    return digits >= 6 && digits <= 12 ? 12 - digits : -1;
}

int referenceDigits(const SchemeInfo &info, int partition)
{
    return info.referenceTotalDigits ? info.referenceTotalDigits - (12 - partition) : -1;
}

int serialBits(const SchemeInfo &info, int partition)
{
    return info.serialBits                 ? info.serialBits
           : info.scheme == Scheme::Giai96 ? info.referenceBits[size_t(partition)]
                                           : 0;
}

} // namespace epc
