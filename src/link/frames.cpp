#include "link/frames.h"

#include "link/hextext.h"

namespace frames {

static QString xorOfPairs(const QString &text)
{
    const QString digits = text; // already filtered; an unpaired last digit is left out
    int x = 0;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        x ^= digits.mid(i, 2).toInt(nullptr, 16);
    return hex::byteText(x);
}

static QString frame(const QString &address, const QString &body, int extraLen, const QString &prefix)
{
    const QString b = hex::filter(body);
    const QString len = hex::byteText(int(b.size() / 2) + extraLen);
    const QString t = address + len + prefix + b;
    return QStringLiteral("AA") + t + xorOfPairs(hex::filter(t)) + QStringLiteral("BB");
}

QString hf(const QString &address, const QString &body)
{
    return frame(address, body, 0, QString());
}

QString uhf(const QString &address, const QString &body)
{
    return frame(address, body, 1, QStringLiteral("ce"));
}

QString module(int command, const QString &params)
{
    const QString p = hex::checkdata(params);
    const int n = int(p.size() / 2);
    const QString inner = QStringLiteral("00") + hex::byteText(command) + hex::byteText((n >> 8) & 0xFF) +
                          hex::byteText(n & 0xFF) + p.toUpper();
    return QStringLiteral("BB") + inner + hex::byteText(hex::adddate(inner) & 0xFF) + QStringLiteral("7E");
}

} // namespace frames
