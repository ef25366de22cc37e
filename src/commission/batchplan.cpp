#include "commission/batchplan.h"

#include "base/errors.h"
#include "base/hex.h"
#include "epc/epclistfile.h"
#include "epc/epctext.h"
#include "epc/gs1sequence.h"
#include "epc/hexsequence.h"

#include <QSysInfo>

namespace commission
{

EpcView viewEpc(const QString &text, std::optional<int> filter)
{
    EpcView v;
    v.bytes = epc::parseEpcText(text, filter);
    v.decoded = epc::decode(v.bytes);
    return v;
}

epc::Gs1Epc firstGs1(const QString &text, std::optional<int> filter)
{
    if (text.trimmed().isEmpty())
        throw UserError(QStringLiteral("first EPC is empty: give a tag URI such as "
                                       "urn:epc:tag:sgtin-96:3.0614141.812345.6789, or its hex"));
    const EpcView v = viewEpc(text, filter);
    if (!v.decoded.gs1)
        throw UserError(QStringLiteral("first EPC %1 is no GS1 EPC of the 96-bit schemes (it reads as %2): a GS1 "
                                       "sequence counts a serial up; use a hex sequence for other numbers")
                            .arg(epc::toHex(v.bytes), v.decoded.tagUri));
    return *v.decoded.gs1;
}

quint32 parsePassword(const QString &text)
{
    QString digits = text;
    digits.remove(u' ');
    const bool ok = digits.size() == 8 && hex::onlyDigits(digits);
    const quint32 value = ok ? digits.toUInt(nullptr, 16) : 0;
    if (!ok)
        throw UserError(QStringLiteral("access password \"%1\" must be 8 hex digits (4 bytes), e.g. 00000000 for a "
                                       "tag without one")
                            .arg(text));
    return value;
}

static std::optional<qint64> checkedCount(const BatchPlan &plan, const char *source)
{
    if (plan.count && (*plan.count < 1 || *plan.count > kMaxCount))
        throw UserError(QStringLiteral("count %1 is out of range: 1 to %2").arg(*plan.count).arg(kMaxCount));
    if (!plan.count && plan.source != SourceKind::List)
        throw UserError(QStringLiteral("a %1 needs a count: how many tags to write").arg(QLatin1String(source)));
    return plan.count;
}

std::unique_ptr<epc::EpcSource> makeSource(const BatchPlan &plan, bool shared)
{
    switch (plan.source) {
    case SourceKind::Gs1: {
        const auto count = checkedCount(plan, "GS1 sequence");
        return std::make_unique<epc::Gs1Sequence>(firstGs1(plan.first, plan.filter), shared ? std::nullopt : count);
    }
    case SourceKind::Hex: {
        const std::optional<qint64> count = checkedCount(plan, "hex sequence");
        return std::make_unique<epc::HexSequence>(epc::parseHex(plan.first, QStringLiteral("first number")), plan.step,
                                                  plan.reverse, shared ? std::nullopt : count);
    }
    case SourceKind::List: {
        if (plan.listPath.trimmed().isEmpty())
            throw UserError(QStringLiteral("no EPC list file is chosen"));
        const std::optional<qint64> count = checkedCount(plan, "list");
        return std::make_unique<epc::EpcListFile>(plan.listPath, shared ? std::nullopt : count);
    }
    }
    return {};
}

QString defaultStation()
{
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("station") : host;
}

epc::JobOptions jobOptions(const BatchPlan &plan)
{
    epc::JobOptions o;
    o.verify = plan.verify;
    o.resume = plan.resume;
    o.password = parsePassword(plan.password);
    return o;
}

} // namespace commission
