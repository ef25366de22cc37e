#include "uhf/epcframes.h"

#include "link/frames.h"
#include "link/hextext.h"

#include <algorithm>

namespace epcframes
{

QString select(const QString &epc)
{
    const QString mask = hex::checkdata(epc).left(2 * kMaxMaskBytes);
    const int n = int(mask.size() / 2);
    return frames::module(0x0C, QStringLiteral("01") + QStringLiteral("00000020") + hex::byteText(8 * n) +
                                    QStringLiteral("00") + mask);
}

QString write(const QString &password, const QString &crc, const QString &epc)
{
    const QString data = hex::checkdata(epc);
    const int m = int(data.size() / 2);
    const int words = (m + 4) / 2; // CRC word, PC word and the EPC
    return frames::module(0x49, password + QStringLiteral("01") + QStringLiteral("0000") +
                                    hex::byteText((words >> 8) & 0xFF) + hex::byteText(words & 0xFF) + crc +
                                    hex::byteText((4 * m) & 0xFF) + QStringLiteral("00") + data);
}

QString cut(const QString &replyHex)
{
    const qsizetype inner = replyHex.size() - 8 - 4;
    return inner > 0 ? replyHex.mid(8, inner) : QString();
}

std::optional<InventoryTag> parseInventory(const QString &moduleReply)
{
    // Only the low byte of the parameter length is read.
    const QString plText = hex::pairAt(moduleReply, 4);
    bool ok = false;
    const int pl = plText.size() == 2 ? plText.toInt(&ok, 16) : -1;
    const int n = pl - 5;
    if (!ok || n < 1)
        return std::nullopt;
    const qsizetype epcEnd = 2 * (8 + qsizetype(n));
    if (moduleReply.size() < epcEnd + 8)
        return std::nullopt;
    const qsizetype size = moduleReply.size();
    return InventoryTag{moduleReply.mid(16, 2 * n), moduleReply.mid(size - 8, 4)};
}

} // namespace epcframes
