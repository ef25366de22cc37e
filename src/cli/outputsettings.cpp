#include "cli/outputsettings.h"

#include "base/errors.h"
#include "cli/args.h"
#include "protocol/outputdevice.h"

namespace cli
{

namespace
{

namespace out = protocol::output;

QByteArray affix(const QString &text, const QString &name)
{
    return text == QLatin1String("none") ? QByteArray() : hexArg(text, name, 0, out::kMaxAffixBytes);
}

// The one-byte settings with the ranges the reader documents for them.
template <uint8_t code, int lo, int hi> protocol::Request byteSetting(const QString &text, const QString &name)
{
    return out::byteSetting(code, uint8_t(numberArg(text, name, lo, hi)));
}

protocol::Request interfaces(const QString &text, const QString &name)
{
    const QStringList all = {QStringLiteral("serial"), QStringLiteral("wiegand"), QStringLiteral("usb")};
    QStringList on;
    if (text != QLatin1String("none"))
        on = text.split(QLatin1Char(','));
    for (const QString &i : on)
        if (!all.contains(i) || on.count(i) > 1)
            throw UserError(QStringLiteral("%1 must list the interfaces that output, from serial, wiegand and usb, "
                                           "separated by commas (or none), not '%2'.")
                                .arg(name, text));
    return out::interfaces(on.contains(all[0]), on.contains(all[1]), on.contains(all[2]));
}

protocol::Request baud(const QString &text, const QString &name)
{
    return out::baudRate(uint8_t(out::baudRates().indexOf(choiceArg(text, name, out::baudRates()))));
}

protocol::Request usbSerial(const QString &text, const QString &name)
{
    // The switch has no way back through this command: it takes "on" only.
    choiceArg(text, name, {QStringLiteral("on")});
    return out::usbSerial();
}

} // namespace

QString OutputSetting::key() const
{
    return QString(word).replace(QLatin1Char('-'), QLatin1Char('_'));
}

const QList<OutputSetting> &outputSettings()
{
    static const QList<OutputSetting> settings = {
        {QStringLiteral("prefix"), QStringLiteral("HEX|none"),
         QStringLiteral("The bytes typed before each number, at most 16 (none clears it)."),
         [](const QString &t, const QString &n) { return out::prefix(affix(t, n)); }},
        {QStringLiteral("suffix"), QStringLiteral("HEX|none"),
         QStringLiteral("The bytes typed after each number, at most 16 (none clears it)."),
         [](const QString &t, const QString &n) { return out::suffix(affix(t, n)); }},
        {QStringLiteral("interval"), QStringLiteral("0 to 255"), QStringLiteral("The search card interval, in 10 ms."),
         byteSetting<out::kInterval, 0, 255>},
        {QStringLiteral("filter"), QStringLiteral("0 to 255"),
         QStringLiteral("The card filter number; 0 outputs the card all the time."), byteSetting<out::kFilter, 0, 255>},
        {QStringLiteral("interfaces"), QStringLiteral("LIST|none"),
         QStringLiteral("The interfaces that output the number, from serial, wiegand and usb, separated by commas; "
                        "the others are closed."),
         interfaces},
        {QStringLiteral("baud"), QStringLiteral("RATE"),
         QStringLiteral("The serial port's baud rate: 9600, 19200, 38400, 57600 or 115200."), baud},
        {QStringLiteral("end-symbol"), QStringLiteral("0 to 2"),
         QStringLiteral("What ends a number on the serial port: 0 nothing, 1 0D, 2 0D 0A."),
         byteSetting<out::kEndSymbol, 0, 2>},
        {QStringLiteral("wiegand-format"), QStringLiteral("0 to 3"),
         QStringLiteral("The Wiegand output format: 0 WG26, 1 WG34, 2 WG66, 3 WG98."),
         byteSetting<out::kWiegandFormat, 0, 3>},
        {QStringLiteral("wiegand-position"), QStringLiteral("0 to 12"),
         QStringLiteral("Where in the 12-byte card number the Wiegand value starts."),
         byteSetting<out::kWiegandPosition, 0, 12>},
        {QStringLiteral("wiegand-pulse"), QStringLiteral("1 to 255"),
         QStringLiteral("The Wiegand low level pulse width, in 10 us."), byteSetting<out::kWiegandPulse, 1, 255>},
        {QStringLiteral("wiegand-idle"), QStringLiteral("1 to 255"),
         QStringLiteral("The Wiegand idle level, in 100 us."), byteSetting<out::kWiegandIdle, 1, 255>},
        {QStringLiteral("rf-power"), QStringLiteral("0 to 17"),
         QStringLiteral("The RF power, 0 (12.5 dB) to 17 (30 dB)."), byteSetting<out::kRfPower, 0, 17>},
        {QStringLiteral("usb-serial"), QStringLiteral("on"),
         QStringLiteral("Switch the USB side to a virtual serial port (the reader then leaves USB HID; there is no "
                        "command back)."),
         usbSerial},
    };
    return settings;
}

const OutputSetting *findOutputSetting(const QString &word)
{
    for (const OutputSetting &s : outputSettings())
        if (s.word == word)
            return &s;
    return nullptr;
}

} // namespace cli
