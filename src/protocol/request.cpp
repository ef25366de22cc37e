#include "protocol/request.h"

#include "base/errors.h"

namespace protocol
{

QString familyName(Family family)
{
    switch (family) {
    case Family::System:
        return QStringLiteral("Reader system");
    case Family::Mifare:
        return QStringLiteral("Mifare S50/S70");
    case Family::Ultralight:
        return QStringLiteral("Ultralight");
    case Family::TypeB:
        return QStringLiteral("ISO14443B / ID card");
    case Family::Iso15693:
        return QStringLiteral("ISO15693");
    case Family::Keyboard:
        return QStringLiteral("Keyboard output");
    case Family::OutputDevice:
        return QStringLiteral("Output device");
    case Family::Uhf:
        return QStringLiteral("UHF module / EPC");
    case Family::Wifi:
        return QStringLiteral("WiFi");
    case Family::WorkModes:
        return QStringLiteral("Serial work modes");
    }
    return {};
}

QString familyWord(Family family)
{
    switch (family) {
    case Family::System:
        return QStringLiteral("system");
    case Family::Mifare:
        return QStringLiteral("mifare");
    case Family::Ultralight:
        return QStringLiteral("ultralight");
    case Family::TypeB:
        return QStringLiteral("typeb");
    case Family::Iso15693:
        return QStringLiteral("iso15693");
    case Family::Keyboard:
        return QStringLiteral("keyboard");
    case Family::OutputDevice:
        return QStringLiteral("output");
    case Family::Uhf:
        return QStringLiteral("uhf");
    case Family::Wifi:
        return QStringLiteral("wifi");
    case Family::WorkModes:
        return QStringLiteral("serial");
    }
    return {};
}

void requireSize(const QByteArray &value, int minBytes, int maxBytes, const char *what)
{
    if (value.size() >= minBytes && value.size() <= maxBytes)
        return;
    const QString expected =
        minBytes == maxBytes ? QString::number(minBytes) : QStringLiteral("%1 to %2").arg(minBytes).arg(maxBytes);
    throw UserError(
        QStringLiteral("The %1 must be %2 bytes, not %3.").arg(QLatin1String(what), expected).arg(value.size()));
}

} // namespace protocol
