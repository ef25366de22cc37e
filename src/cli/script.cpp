#include "cli/script.h"

#include "base/errors.h"

namespace cli
{

QList<QStringList> splitScript(const QString &text)
{
    QList<QStringList> commands;
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote; // the open quote, or null
    int line = 1;
    const auto endWord = [&] {
        if (inWord)
            words << word;
        word.clear();
        inWord = false;
    };
    const auto endCommand = [&] {
        endWord();
        if (!words.isEmpty())
            commands << words;
        words.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n'))
            ++line;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else if (c == QLatin1Char('\\') && quote == QLatin1Char('"') && i + 1 < text.size())
                word += text[++i];
            else
                word += c;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            inWord = true;
        } else if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (c == QLatin1Char('#') && !inWord) {
            while (i + 1 < text.size() && text[i + 1] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char(';') || c == QLatin1Char('\n')) {
            endCommand();
        } else if (c.isSpace()) {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    if (!quote.isNull())
        throw UserError(
            QStringLiteral("the script's quote %1 opened before line %2 is never closed.").arg(quote).arg(line));
    endCommand();
    return commands;
}

} // namespace cli
