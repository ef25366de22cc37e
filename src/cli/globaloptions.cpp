#include "cli/globaloptions.h"

namespace cli
{

const QList<GlobalOption> &globalOptions()
{
    static const QList<GlobalOption> options = {
        {QStringLiteral("usb"), QStringLiteral("VID:PID"),
         QStringLiteral("The USB reader to use, by its vendor and product ID in hexadecimal (1234:abcd). Without it "
                        "the first HID device with a vendor-defined usage page (0xFF00 to 0xFFFF) is used.")},
        {QStringLiteral("device"), QStringLiteral("PATH"),
         QStringLiteral("The USB reader at PATH (/dev/hidraw3, as devices lists it): one of several readers with "
                        "the same IDs.")},
        {QStringLiteral("simulate"), QStringLiteral("KIND"),
         QStringLiteral("Use a simulated reader instead of hardware: keyboard (the default: a keyboard-output UHF "
                        "reader with its UHF module, also on a pseudo-terminal for the serial commands) or hf (an "
                        "HF reader with its cards). The simulated reader keeps its state for the whole run."),
         false, true},
        {QStringLiteral("address"), QStringLiteral("HEX"),
         QStringLiteral("The device address framed into every reader command, one byte in hexadecimal (default 00).")},
        {QStringLiteral("json"), QString(),
         QStringLiteral("One JSON object per command on one line of standard output (JSON Lines): snake_case keys, "
                        "\"command\" and \"ok\" first, hex as upper-case digits without blanks; a failed command "
                        "adds \"status\", \"error\" and, for a refusal, \"error_code\" and \"error_text\".")},
        {QStringLiteral("trace"), QStringLiteral("FILE"),
         QStringLiteral("Write every exchange to FILE, one line each, decoded from the command table as the window's "
                        "frame trace shows it: time, channel, latency, family and command, the frames as hex, the "
                        "decoded request and reply.")},
        {QStringLiteral("timeout"), QStringLiteral("MS"),
         QStringLiteral("Wait MS milliseconds (1 to 60000) for each reply instead of each command's own wait.")},
        {QStringLiteral("c"), QStringLiteral("SCRIPT"),
         QStringLiteral("Run the commands of SCRIPT, separated by semicolons or line ends, in one session: the "
                        "reader is opened once. Every command is checked before the first is sent; the run stops "
                        "at the first command that fails.")},
        {QStringLiteral("help"), QString(), QStringLiteral("Show the options and commands, then exit.")},
        {QStringLiteral("version"), QString(), QStringLiteral("Show the version, then exit.")},
        {QStringLiteral("man"), QString(), QStringLiteral("Print the manual page (roff)."), true},
        {QStringLiteral("bash-completion"), QString(), QStringLiteral("Print the bash completion script."), true},
    };
    return options;
}

QString optionSynopsis(const GlobalOption &option)
{
    const QString dashes = option.name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
    if (option.value.isEmpty())
        return dashes + option.name;
    if (option.optionalValue)
        return QStringLiteral("%1%2[=%3]").arg(dashes, option.name, option.value);
    return QStringLiteral("%1%2 %3").arg(dashes, option.name, option.value);
}

} // namespace cli
