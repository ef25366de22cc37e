#include "base/errors.h"
#include "cli/commandkit.h"
#include "cli/keyboardformat.h"
#include "cli/profile.h"
#include "files/save.h"
#include "protocol/keyboard.h"

#include <QJsonArray>

namespace cli
{

namespace
{

namespace kb = protocol::keyboard;

const QString kSchema = QStringLiteral(
    "A profile is a JSON object. \"format\" is the profile's version (1; a newer one is refused); every other "
    "section is optional:\n\n"
    "  {\"format\": 1,\n"
    "   \"keyboard\": {\"format\": \"hex8\", \"semicolon\": true,\n"
    "                \"question_mark\": false, \"comma\": false,\n"
    "                \"enter\": true, \"rssi\": false, \"buzzer\": \"big\",\n"
    "                \"mode\": \"active\", \"voice\": \"on\"},\n"
    "   \"output\": {\"prefix\": \"3031\", \"suffix\": \"\", \"interval\": 10,\n"
    "              \"filter\": 0, \"interfaces\": [\"serial\", \"usb\"],\n"
    "              \"baud\": 9600, \"end_symbol\": 2, \"wiegand_format\": 0,\n"
    "              \"wiegand_position\": 9, \"wiegand_pulse\": 10,\n"
    "              \"wiegand_idle\": 10, \"rf_power\": 17,\n"
    "              \"usb_serial\": false},\n"
    "   \"uhf\": {\"mode\": \"single\"},\n"
    "   \"wifi\": {\"name\": \"workshop\", \"password\": \"secret\"}}\n\n"
    "keyboard.format takes what keyboard set takes; once one of format, semicolon, question_mark, comma and enter "
    "is given, all five must be, since the reader sets them together (rssi defaults to false, buzzer to big). "
    "keyboard.mode is active or passive; uhf.mode (single, passive, multi or tid) sets the same reading mode, so "
    "give one of the two. The output keys are the settings of output set in snake_case with the same values "
    "(numbers, hex strings, the interface list as an array; an empty prefix or list clears it); usb_serial true "
    "switches the USB side to a virtual serial port, last of all. Unknown keys are refused; \"saved_from\" (written "
    "by profile save) is not applied.\n\n"
    "The reader lets only the keyboard format be read: profile save writes that part, and --verify reads back that "
    "part only.");

Action save()
{
    return {.name = QStringLiteral("save"),
            .args = QStringLiteral("FILE"),
            .summary = QStringLiteral("Write what the reader lets us read to FILE, as a profile."),
            .help = QStringLiteral("Reads the keyboard format and the version and writes them as a profile of "
                                   "format 1 (the version as saved_from.version). The file is replaced only once "
                                   "it is whole on the disk."),
            .fileArgument = true,
            .prepare = [](CommandArgs &args) -> Runner {
                const QString path = args.take(QStringLiteral("FILE"));
                args.done();
                return [path](Session &s) -> std::optional<Record> {
                    const kb::FormatReadback format = keyboardformat::readBack(s);
                    // Not every reader has a version text; the profile does without it.
                    const auto version = kb::parseVersion(s.exchange(kb::version()).reply);
                    const QString text = version.ok() ? QString::fromLatin1(version.value.text) : QString();
                    const QString error = files::saveWhole(path, savedProfile(format, text));
                    if (!error.isEmpty())
                        throw UserError(QStringLiteral("cannot save %1: %2").arg(path, error));
                    Record r;
                    r.add(QStringLiteral("file"), path);
                    keyboardformat::report(format, r);
                    if (!text.isEmpty())
                        r.add(QStringLiteral("version"), text);
                    return r;
                };
            }};
}

QJsonArray names(const QList<Profile::Step> &steps, qsizetype from, qsizetype to)
{
    QJsonArray a;
    for (qsizetype i = from; i < to; ++i)
        a << steps[i].name;
    return a;
}

QString list(const QJsonArray &a)
{
    QStringList parts;
    for (const QJsonValue &v : a)
        parts << v.toString();
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

Action apply()
{
    return {
        .name = QStringLiteral("apply"),
        .args = QStringLiteral("FILE [--verify]"),
        .summary = QStringLiteral("Send every setting of the profile FILE to the reader."),
        .help = QStringLiteral("The file is read and checked whole before anything is sent. The settings go out "
                               "in the order keyboard, output, uhf, wifi (output.usb_serial last); the first that "
                               "fails stops the apply, and the output names the settings applied, the one that "
                               "failed and those not applied. Prints applied, and with --verify verified and "
                               "not_readable."),
        .options = {flag("verify", "Then read back what the reader lets us read (the keyboard format) and fail on "
                                   "a difference.")},
        .fileArgument = true,
        .prepare = [](CommandArgs &args) -> Runner {
            const QString path = args.take(QStringLiteral("FILE"));
            args.done();
            const bool verify = args.isSet(QStringLiteral("verify"));
            const Profile profile = Profile::read(path);
            return [profile, verify, path](Session &s) -> std::optional<Record> {
                const auto &steps = profile.steps;
                for (qsizetype i = 0; i < steps.size(); ++i) {
                    try {
                        if (steps[i].answerOptional) {
                            const QByteArray reply = s.exchange(steps[i].request).reply;
                            if (!reply.isEmpty())
                                s.require(protocol::ack(reply), s.waitFor(steps[i].request));
                        } else {
                            call(s, steps[i].request);
                        }
                    } catch (const ReaderFailure &e) {
                        Record found;
                        found.add(QStringLiteral("file"), path);
                        found.add(QStringLiteral("applied"), names(steps, 0, i));
                        found.add(QStringLiteral("failed"), steps[i].name);
                        found.add(QStringLiteral("not_applied"), names(steps, i + 1, steps.size()));
                        throw ReaderFailure(e.status(),
                                            QStringLiteral("%1 was not applied: %2 Applied before it: %3. Not applied "
                                                           "after it: %4.")
                                                .arg(steps[i].name, e.message(), list(names(steps, 0, i)),
                                                     list(names(steps, i + 1, steps.size()))),
                                            e.errorCode(), found);
                    }
                }
                Record r;
                r.add(QStringLiteral("file"), path);
                r.add(QStringLiteral("applied"), names(steps, 0, steps.size()));
                if (!verify)
                    return r;
                QJsonArray verified, unreadable;
                for (const Profile::Step &step : steps)
                    (step.name == QLatin1String("keyboard.format") ? verified : unreadable) << step.name;
                if (profile.keyboardFormat) {
                    const QStringList d = profile.differences(keyboardformat::readBack(s));
                    if (!d.isEmpty()) {
                        r.add(QStringLiteral("differences"), QJsonArray::fromStringList(d));
                        throw ReaderFailure(
                            QStringLiteral("verify_failed"),
                            QStringLiteral("the reader reads back differently: %1.").arg(d.join(QStringLiteral("; "))),
                            std::nullopt, r);
                    }
                }
                r.add(QStringLiteral("verified"), verified);
                r.add(QStringLiteral("not_readable"), unreadable);
                return r;
            };
        }};
}

} // namespace

Family profileFamily()
{
    return {QStringLiteral("profile"),
            QStringLiteral("a reader's settings as a file, applied to any number of readers"),
            kSchema,
            {save(), apply()}};
}

} // namespace cli
