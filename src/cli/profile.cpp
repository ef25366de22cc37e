#include "cli/profile.h"

#include "base/clock.h"
#include "base/errors.h"
#include "cli/args.h"
#include "cli/keyboardformat.h"
#include "cli/outputsettings.h"
#include "files/read.h"
#include "protocol/uhf.h"
#include "protocol/wifi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli
{

namespace
{

namespace kb = protocol::keyboard;
constexpr qint64 kMaxProfileBytes = 1 << 20;

// Reads one section's keys and says which it did not know.
class Section
{
public:
    Section(const QString &file, const QString &name, const QJsonValue &value) : file_(file), name_(name)
    {
        if (!value.isObject())
            fail(name_, QStringLiteral("an object"));
        object_ = value.toObject();
    }

    bool has(const QString &key) const { return object_.contains(key); }
    QString path(const QString &key) const { return name_ + QLatin1Char('.') + key; }

    [[noreturn]] void fail(const QString &key, const QString &expected) const
    {
        throw UserError(QStringLiteral("%1: %2 must be %3.").arg(file_, key, expected));
    }

    bool boolean(const QString &key)
    {
        used_ << key;
        const QJsonValue v = object_.value(key);
        if (!v.isBool())
            fail(path(key), v.isUndefined() ? QStringLiteral("given (true or false); it is missing")
                                            : QStringLiteral("true or false"));
        return v.toBool();
    }
    QString string(const QString &key, const QStringList &choices = {})
    {
        used_ << key;
        const QJsonValue v = object_.value(key);
        if (!v.isString() || (!choices.isEmpty() && !choices.contains(v.toString())))
            fail(path(key), choices.isEmpty()
                                ? QStringLiteral("a string")
                                : QStringLiteral("one of \"%1\"").arg(choices.join(QStringLiteral("\", \""))));
        return v.toString();
    }
    // A value as `output set` would read it from the command line.
    QString text(const QString &key)
    {
        used_ << key;
        const QJsonValue v = object_.value(key);
        if (v.isDouble())
            return QString::number(v.toDouble(), 'g', 16);
        if (v.isString())
            return v.toString().isEmpty() ? QStringLiteral("none") : v.toString();
        if (v.isArray()) {
            QStringList parts;
            for (const QJsonValue &item : v.toArray())
                parts << item.toString(QStringLiteral("?"));
            return parts.isEmpty() ? QStringLiteral("none") : parts.join(QLatin1Char(','));
        }
        fail(path(key), QStringLiteral("a number, a string or a list"));
    }
    // Throws on a key that was never asked for.
    void done() const
    {
        for (auto it = object_.begin(); it != object_.end(); ++it)
            if (!used_.contains(it.key()))
                throw UserError(QStringLiteral("%1: unknown key %2.").arg(file_, path(it.key())));
    }
    void markUsed(const QString &key) { used_ << key; }

private:
    QString file_, name_;
    QJsonObject object_;
    QStringList used_;
};

// A value of an output setting, checked as the command line checks it.
protocol::Request outputRequest(const OutputSetting &s, const QString &value, const QString &file, const QString &key)
{
    try {
        return s.request(value, key);
    } catch (const UserError &e) {
        throw UserError(QStringLiteral("%1: %2").arg(file, e.message()));
    }
}

void readKeyboard(Section &k, Profile &p)
{
    static const QStringList formatKeys = {QStringLiteral("format"), QStringLiteral("semicolon"),
                                           QStringLiteral("question_mark"), QStringLiteral("comma"),
                                           QStringLiteral("enter")};
    bool any = false;
    for (const QString &key : formatKeys)
        any = any || k.has(key);
    if (any) {
        kb::FormatSettings f;
        const QString format = k.text(QStringLiteral("format"));
        const auto code = keyboardformat::parse(format);
        if (!code)
            k.fail(k.path(QStringLiteral("format")), keyboardformat::expected());
        f.format = *code;
        f.semicolon = k.boolean(QStringLiteral("semicolon"));
        f.questionMark = k.boolean(QStringLiteral("question_mark"));
        f.comma = k.boolean(QStringLiteral("comma"));
        f.enter = k.boolean(QStringLiteral("enter"));
        if (k.has(QStringLiteral("rssi")))
            f.rssi = k.boolean(QStringLiteral("rssi"));
        if (k.has(QStringLiteral("buzzer")))
            f.bigBuzzer = k.string(QStringLiteral("buzzer"), {QStringLiteral("big"), QStringLiteral("small")}) ==
                          QLatin1String("big");
        p.steps << Profile::Step{QStringLiteral("keyboard.format"), kb::setFormat(f)};
        p.keyboardFormat = f;
    } else {
        for (const char *alone : {"rssi", "buzzer"})
            if (k.has(QLatin1String(alone)))
                k.fail(k.path(QStringLiteral("format")), QStringLiteral("given with keyboard.%1 (the reader sets them "
                                                                        "together); it is missing")
                                                             .arg(QLatin1String(alone)));
    }
    if (k.has(QStringLiteral("mode")))
        p.steps << Profile::Step{
            QStringLiteral("keyboard.mode"),
            kb::readingMode(k.string(QStringLiteral("mode"), {QStringLiteral("active"), QStringLiteral("passive")}) ==
                            QLatin1String("active"))};
    if (k.has(QStringLiteral("voice")))
        p.steps << Profile::Step{
            QStringLiteral("keyboard.voice"),
            kb::voice(k.string(QStringLiteral("voice"), {QStringLiteral("on"), QStringLiteral("off")}) ==
                      QLatin1String("on")),
            true};
}

} // namespace

Profile Profile::read(const QString &path)
{
    const files::ReadResult file = files::readWhole(path, kMaxProfileBytes);
    if (!file.error.isEmpty())
        throw UserError(QStringLiteral("cannot read the profile %1: %2.").arg(path, file.error));
    return parse(file.data, path);
}

Profile Profile::parse(const QByteArray &json, const QString &path)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw UserError(
            QStringLiteral("%1 is not JSON: %2 at byte %3.").arg(path, error.errorString()).arg(error.offset));
    if (!doc.isObject())
        throw UserError(QStringLiteral("%1: a profile is a JSON object.").arg(path));
    const QJsonObject top = doc.object();
    const QJsonValue format = top.value(QStringLiteral("format"));
    if (format.isUndefined())
        throw UserError(
            QStringLiteral("%1: the key format (the profile's version, %2) is missing.").arg(path).arg(kFormat));
    if (!format.isDouble() || format.toDouble() != double(format.toInt()) || format.toInt() < 1)
        throw UserError(QStringLiteral("%1: format must be a whole number from 1.").arg(path));
    if (format.toInt() > kFormat)
        throw UserError(QStringLiteral("%1 is a profile of format %2, newer than this rfidctl reads (%3 and older): "
                                       "use a newer rfidctl.")
                            .arg(path)
                            .arg(format.toInt())
                            .arg(kFormat));

    Profile p;
    QList<Step> last; // the switch to a virtual serial port ends USB HID: it goes last
    for (auto it = top.begin(); it != top.end(); ++it) {
        static const QStringList known = {QStringLiteral("format"), QStringLiteral("keyboard"),
                                          QStringLiteral("output"), QStringLiteral("uhf"),
                                          QStringLiteral("wifi"),   QStringLiteral("saved_from")};
        if (!known.contains(it.key()))
            throw UserError(QStringLiteral("%1: unknown key %2.").arg(path, it.key()));
    }
    if (top.contains(QStringLiteral("keyboard"))) {
        Section k(path, QStringLiteral("keyboard"), top.value(QStringLiteral("keyboard")));
        readKeyboard(k, p);
        k.done();
    }
    if (top.contains(QStringLiteral("output"))) {
        Section o(path, QStringLiteral("output"), top.value(QStringLiteral("output")));
        for (const OutputSetting &s : outputSettings()) {
            const QString key = s.key();
            if (!o.has(key))
                continue;
            if (key == QLatin1String("usb_serial")) {
                if (o.boolean(key))
                    last << Step{o.path(key), outputRequest(s, QStringLiteral("on"), path, o.path(key))};
                continue;
            }
            p.steps << Step{o.path(key), outputRequest(s, o.text(key), path, o.path(key))};
        }
        o.done();
    }
    if (top.contains(QStringLiteral("uhf"))) {
        Section u(path, QStringLiteral("uhf"), top.value(QStringLiteral("uhf")));
        if (u.has(QStringLiteral("mode"))) {
            // Keyboard and UHF reading modes are one setting of the reader (command 0F).
            for (const Step &s : p.steps)
                if (s.name == QLatin1String("keyboard.mode"))
                    u.fail(u.path(QStringLiteral("mode")),
                           QStringLiteral("left out when keyboard.mode is given: both set the same reading mode"));
            const QStringList modes = {QStringLiteral("single"), QStringLiteral("passive"), QStringLiteral("multi"),
                                       QStringLiteral("tid")};
            const int m = int(modes.indexOf(u.string(QStringLiteral("mode"), modes)));
            p.steps << Step{u.path(QStringLiteral("mode")),
                            protocol::uhf::readerMode(protocol::uhf::ReaderMode(m + 1))};
        }
        u.done();
    }
    if (top.contains(QStringLiteral("wifi"))) {
        Section w(path, QStringLiteral("wifi"), top.value(QStringLiteral("wifi")));
        const QString name = w.string(QStringLiteral("name"));
        const QString password = w.string(QStringLiteral("password"));
        try {
            p.steps << Step{QStringLiteral("wifi"), protocol::wifi::join(name, password)};
        } catch (const UserError &e) {
            throw UserError(QStringLiteral("%1: %2").arg(path, e.message()));
        }
        w.done();
    }
    p.steps << last;
    return p;
}

QStringList Profile::differences(const kb::FormatReadback &got) const
{
    QStringList d;
    if (!keyboardFormat)
        return d;
    const kb::FormatSettings &want = *keyboardFormat;
    const auto on = [](std::optional<uint8_t> b) { return b.value_or(0) != 0; };
    const auto yes = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    if (got.format != want.format)
        d << QStringLiteral("keyboard.format: profile %1, reader %2")
                 .arg(keyboardformat::word(want.format),
                      got.format ? keyboardformat::word(*got.format) : QStringLiteral("nothing"));
    const struct {
        const char *key;
        bool want;
        std::optional<uint8_t> got;
    } flags[] = {{"semicolon", want.semicolon, got.semicolon},
                 {"question_mark", want.questionMark, got.questionMark},
                 {"comma", want.comma, got.comma},
                 {"enter", want.enter, got.enter}};
    for (const auto &f : flags)
        if (f.want != on(f.got))
            d << QStringLiteral("keyboard.%1: profile %2, reader %3")
                     .arg(QLatin1String(f.key), yes(f.want), yes(on(f.got)));
    return d;
}

QByteArray savedProfile(const kb::FormatReadback &format, const QString &version)
{
    const auto on = [](std::optional<uint8_t> b) { return b.value_or(0) != 0; };
    QJsonObject keyboard{{QStringLiteral("format"), keyboardformat::word(format.format.value_or(0))},
                         {QStringLiteral("semicolon"), on(format.semicolon)},
                         {QStringLiteral("question_mark"), on(format.questionMark)},
                         {QStringLiteral("comma"), on(format.comma)},
                         {QStringLiteral("enter"), on(format.enter)}};
    const QDateTime now = appclock::now();
    QJsonObject from{{QStringLiteral("time"), now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate)},
                     {QStringLiteral("note"), QStringLiteral("The reader lets only the keyboard format be read; the "
                                                             "output, uhf and wifi sections can be added by hand.")}};
    if (!version.isEmpty())
        from.insert(QStringLiteral("version"), version);
    const QJsonObject top{{QStringLiteral("format"), Profile::kFormat},
                          {QStringLiteral("keyboard"), keyboard},
                          {QStringLiteral("saved_from"), from}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

} // namespace cli
