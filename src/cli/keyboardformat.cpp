#include "cli/keyboardformat.h"

#include "cli/args.h"
#include "protocol/keyboard.h"

namespace cli::keyboardformat
{

namespace kb = protocol::keyboard;

std::optional<uint8_t> parse(const QString &text)
{
    for (const kb::Format &f : kb::formats())
        if (text == QLatin1String(f.word))
            return f.code;
    if (text.startsWith(QLatin1String("custom:"))) {
        const auto n = parseNumber(text.mid(7));
        if (n && *n >= 1 && *n <= 127)
            return uint8_t(kb::kCustomLengthBase + *n);
        return std::nullopt;
    }
    const auto code = parseNumber(text);
    // 0x11 to 0x80 name no format: the custom lengths start at 0x81 (one byte).
    if (code && *code >= 0 && *code <= 0xFF && (*code <= 0x10 || *code > kb::kCustomLengthBase))
        return uint8_t(*code);
    return std::nullopt;
}

QString word(uint8_t code)
{
    for (const kb::Format &f : kb::formats())
        if (f.code == code)
            return QString::fromLatin1(f.word);
    if (code > kb::kCustomLengthBase)
        return QStringLiteral("custom:%1").arg(code - kb::kCustomLengthBase);
    return QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0'));
}

QStringList words()
{
    QStringList w;
    for (const kb::Format &f : kb::formats())
        w << QString::fromLatin1(f.word);
    return w;
}

QString expected()
{
    return QStringLiteral("a format name (%1), custom:N for N bytes in hex (1 to 127), or a code (0x00 to 0x10, "
                          "0x81 to 0xFF)")
        .arg(words().join(QStringLiteral(", ")));
}

} // namespace cli::keyboardformat

#include "cli/commandkit.h"

namespace cli::keyboardformat
{

// The page's wait for every keyboard command.

kb::FormatReadback readBack(Session &session)
{
    return callParsed(session, kb::readFormat(), kb::parseFormat);
}

void report(const kb::FormatReadback &f, Record &record)
{
    const uint8_t code = f.format.value_or(0);
    record.add(QStringLiteral("format"), word(code));
    record.hex(QStringLiteral("format_code"), QByteArray(1, char(code)));
    record.add(QStringLiteral("format_name"), kb::formatName(code).trimmed());
    const auto on = [](std::optional<uint8_t> b) { return b.value_or(0) != 0; };
    record.add(QStringLiteral("semicolon"), on(f.semicolon));
    record.add(QStringLiteral("question_mark"), on(f.questionMark));
    record.add(QStringLiteral("comma"), on(f.comma));
    record.add(QStringLiteral("enter"), on(f.enter));
    record.hex(QStringLiteral("custom_data"), QByteArray(1, char(f.customData.value_or(0))));
}

} // namespace cli::keyboardformat
