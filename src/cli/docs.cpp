#include "cli/docs.h"

#include "cli/globaloptions.h"

#include <QStringList>

namespace cli
{

namespace
{

constexpr int kWidth = 79;

const QString kDescription = QStringLiteral(
    "rfidctl sends the commands of RFID card readers from the command line: the keyboard-output UHF reader "
    "(output format, output devices, reading modes, its UHF module, the EPC of the tag in the field and "
    "batches of GS1 EPCs, written, read back and journalled), the HF "
    "reader (Mifare S50/S70, Ultralight, ISO15693, ISO14443B and the ID card), WiFi readers, and the UHF module "
    "on a serial line. It shares the window's command layer, so each command sends the same bytes and waits the "
    "same time as the button that does it in rfid-workbench.\n\n"
    "Each run opens the reader once. Several commands go in one run with -c or on standard input; a profile "
    "file configures any number of readers in a shell loop. Every argument is checked before anything is sent: a "
    "bad one stops the run with exit status 2 and nothing sent.\n\n"
    "Numbers are decimal, or hexadecimal after 0x. HEX arguments are hexadecimal digit pairs, upper or lower "
    "case, with blanks, commas, colons or hyphens allowed between the pairs (quote them when they hold blanks). "
    "Output is one \"name: value\" line per value for people, or JSON Lines with --json.");

const QString kExitStatus = QStringLiteral(
    "0\tsuccess.\n"
    "1\tthe reader refused a command (its error code and meaning are on standard error), did not answer in "
    "time, answered with a damaged reply, or a verification found a difference; a batch that did not write "
    "every tag (a tag failed, or Ctrl+C stopped it).\n"
    "2\tbad usage or bad input: an unknown command or option, a value that is not what the argument takes, a "
    "profile that is malformed or from a newer version, a batch journal that holds rows without --resume. "
    "Nothing was sent.\n"
    "3\tno reader, or it cannot be opened (permission, a serial port that will not open).");

const QString kExamples =
    QStringLiteral("Configure a reader from a profile, then check what it reads back:\n\n"
                   "  rfidctl profile apply door.json --verify\n\n"
                   "The same profile on several readers of the same IDs, by the paths devices lists:\n\n"
                   "  for dev in /dev/hidraw3 /dev/hidraw4; do\n"
                   "    rfidctl --device $dev profile apply door.json || echo \"$dev failed\"\n"
                   "  done\n\n"
                   "The EPC of the tag in the field, as JSON:\n\n"
                   "  rfidctl --json epc read\n\n"
                   "A raw frame, with the trace of the exchange:\n\n"
                   "  rfidctl --trace trace.txt send --raw AA0001C0C1BB\n\n"
                   "A batch of 1,000 GS1 EPCs against the simulated reader, then the same with --resume, which "
                   "finds them done and writes nothing:\n\n"
                   "  first=urn:epc:tag:sgtin-96:3.0614141.812345.1000\n"
                   "  rfidctl --simulate epc batch --first $first --count 1000 \\\n"
                   "      --journal roll.csv\n"
                   "  rfidctl --simulate epc batch --first $first --count 1000 \\\n"
                   "      --journal roll.csv --resume\n\n"
                   "Several commands in one session against the simulated reader:\n\n"
                   "  rfidctl --simulate -c 'keyboard set hex8 --semicolon; keyboard get'");

QString hanging(const QString &head, const QString &text, int column);

// Plain text wrapped at kWidth, each line behind indent; lines of a paragraph that start with
// two blanks are kept as they are (examples).
QString wrap(const QString &text, int indent)
{
    QString out;
    const QString pad(indent, QLatin1Char(' '));
    const QStringList paragraphs = text.split(QStringLiteral("\n\n"));
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        if (p > 0)
            out += QLatin1Char('\n');
        const QString &para = paragraphs[p];
        if (para.startsWith(QLatin1String("  "))) {
            for (const QString &line : para.split(QLatin1Char('\n')))
                out += pad + line + QLatin1Char('\n');
            continue;
        }
        if (para.contains(QLatin1Char('\t'))) {
            for (const QString &line : para.split(QLatin1Char('\n')))
                out += hanging(pad + line.section(QLatin1Char('\t'), 0, 0), line.section(QLatin1Char('\t'), 1),
                               indent + 24);
            continue;
        }
        QString line;
        for (const QString &word : para.simplified().split(QLatin1Char(' '))) {
            if (!line.isEmpty() && indent + line.size() + 1 + word.size() > kWidth) {
                out += pad + line + QLatin1Char('\n');
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        if (!line.isEmpty())
            out += pad + line + QLatin1Char('\n');
    }
    return out;
}

// head, then text filled from column `column` (on the next line when head reaches it).
QString hanging(const QString &head, const QString &text, int column)
{
    QString out;
    QString line = head;
    if (line.size() >= column) {
        out += line + QLatin1Char('\n');
        line.clear();
    }
    line = line.leftJustified(column);
    bool first = true;
    for (const QString &word : text.simplified().split(QLatin1Char(' '))) {
        if (!first && line.size() + 1 + word.size() > kWidth) {
            out += line + QLatin1Char('\n');
            line = QString(column, QLatin1Char(' '));
            first = true;
        }
        line += (first ? QString() : QStringLiteral(" ")) + word;
        first = false;
    }
    return out + line + QLatin1Char('\n');
}

// A synopsis too long for one line, broken before an option and continued further in.
QString synopsisLines(const QString &text, int indent)
{
    QString out, line = QString(indent, QLatin1Char(' '));
    const QStringList words = text.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0 && line.size() + 1 + words[i].size() > kWidth && words[i].startsWith(QLatin1Char('['))) {
            out += line + QLatin1Char('\n');
            line = QString(indent + 4, QLatin1Char(' ')) + words[i];
        } else {
            line += (i > 0 ? QStringLiteral(" ") : QString()) + words[i];
        }
    }
    return out + line + QLatin1Char('\n');
}

QString optionText(const Option &o)
{
    return o.value.isEmpty() ? QStringLiteral("--%1").arg(o.name) : QStringLiteral("--%1 %2").arg(o.name, o.value);
}

QString synopsis(const Family &family, const Action &action)
{
    const QString name = commandName(family, action);
    return action.args.isEmpty() ? name : name + QLatin1Char(' ') + action.args;
}

// The synopsis with its options folded into [OPTIONS], for the command list.
QString shortSynopsis(const Family &family, const Action &action)
{
    QStringList kept;
    bool folded = false;
    int depth = 0;
    bool inOption = false;
    for (const QString &word : action.args.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!inOption && depth == 0 && word.startsWith(QLatin1String("[--")))
            inOption = folded = true;
        const bool skip = inOption;
        depth += int(word.count(QLatin1Char('['))) - int(word.count(QLatin1Char(']')));
        if (depth == 0)
            inOption = false;
        if (!skip)
            kept << word;
    }
    if (folded)
        kept << QStringLiteral("[OPTIONS]");
    const QString name = commandName(family, action);
    return kept.isEmpty() ? name : name + QLatin1Char(' ') + kept.join(QLatin1Char(' '));
}

// Roff: a backslash is \e, a hyphen written as a minus so that options copy as typed, and a
// line that would start with a control character is guarded.
QString roff(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    t.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    t.replace(QLatin1Char('\''), QStringLiteral("\\(aq"));
    QStringList lines = t.split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.startsWith(QLatin1Char('.')))
            l.prepend(QStringLiteral("\\&"));
    return lines.join(QLatin1Char('\n'));
}

// Paragraphs of help text as roff: examples (lines starting with two blanks) kept as they are,
// tab-separated lines as tagged paragraphs, the rest filled.
QString roffParagraphs(const QString &text)
{
    QString out;
    const QStringList paragraphs = text.split(QStringLiteral("\n\n"));
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QString &para = paragraphs[p];
        if (p > 0)
            out += QStringLiteral(".PP\n");
        if (para.startsWith(QLatin1String("  "))) {
            out += QStringLiteral(".RS 4\n.nf\n");
            for (const QString &line : para.split(QLatin1Char('\n')))
                out += roff(line.mid(2)) + QLatin1Char('\n');
            out += QStringLiteral(".fi\n.RE\n");
        } else if (para.contains(QLatin1Char('\t'))) {
            for (const QString &line : para.split(QLatin1Char('\n'))) {
                const qsizetype tab = line.indexOf(QLatin1Char('\t'));
                out += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(line.left(tab)), roff(line.mid(tab + 1)));
            }
        } else {
            out += roff(para.simplified()) + QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace

QString usageText()
{
    QString t = QStringLiteral("Usage: rfidctl [OPTIONS] COMMAND [ARGS]\n"
                               "       rfidctl [OPTIONS] -c 'COMMAND; COMMAND; ...'\n"
                               "       rfidctl [OPTIONS] -   (commands from standard input, one per line)\n\n");
    t += wrap(kDescription.section(QStringLiteral("\n\n"), 0, 0), 0);
    t += QStringLiteral("\nOptions:\n");
    for (const GlobalOption &g : globalOptions()) {
        if (g.hidden)
            continue;
        t += QStringLiteral("  %1\n").arg(optionSynopsis(g));
        t += wrap(g.help, 6);
    }
    t += QStringLiteral("\n") + commandList();
    t += QStringLiteral("\nExit status:\n") + wrap(kExitStatus, 2);
    t += QStringLiteral("\n`rfidctl help COMMAND` explains a command; `man rfidctl` has the whole manual.\n");
    return t;
}

QString commandList()
{
    QString t = QStringLiteral("Commands:\n");
    for (const Family &f : families()) {
        for (const Action &a : f.actions) {
            // A synopsis wider than the page goes on in a line further in, the summary beside it.
            QStringList lines = synopsisLines(shortSynopsis(f, a), 2).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            const QString last = lines.takeLast();
            for (const QString &l : lines)
                t += l + QLatin1Char('\n');
            t += hanging(last, a.summary, 34);
        }
    }
    return t;
}

QString actionHelp(const Family &family, const Action &action)
{
    QString t = synopsisLines(synopsis(family, action), 2);
    t += wrap(action.summary + (action.help.isEmpty() ? QString() : QStringLiteral("\n\n") + action.help), 6);
    if (!action.options.isEmpty())
        t += QLatin1Char('\n');
    for (const Option &o : action.options)
        t += hanging(QStringLiteral("      ") + optionText(o), o.help, 24);
    return t;
}

QString familyHelp(const Family &family)
{
    QString t = QStringLiteral("%1: %2\n").arg(family.name, family.summary);
    if (!family.help.isEmpty())
        t += QLatin1Char('\n') + wrap(family.help, 0);
    for (const Action &a : family.actions)
        t += QLatin1Char('\n') + actionHelp(family, a);
    return t;
}

QString manPage()
{
    QString m =
        QStringLiteral(".TH RFIDCTL 1 \"\" \"rfidctl %1\" \"User Commands\"\n").arg(QStringLiteral(RFID_VERSION));
    // Options and hex values read badly when hyphenated.
    m += QStringLiteral(".nh\n.ad l\n");
    m += QStringLiteral(".SH NAME\nrfidctl \\- send the commands of RFID card readers from the command line\n");
    m += QStringLiteral(".SH SYNOPSIS\n"
                        ".B rfidctl\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]\n.br\n"
                        ".B rfidctl\n[\\fIOPTIONS\\fR] \\fB\\-c\\fR \\fISCRIPT\\fR\n.br\n"
                        ".B rfidctl\n[\\fIOPTIONS\\fR] \\fB\\-\\fR\n");
    m += QStringLiteral(".SH DESCRIPTION\n") + roffParagraphs(kDescription);
    m += QStringLiteral(".SH OPTIONS\n");
    for (const GlobalOption &g : globalOptions()) {
        if (g.hidden)
            continue;
        m += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(optionSynopsis(g)), roff(g.help));
    }
    m += QStringLiteral(".SH COMMANDS\n");
    for (const Family &f : families()) {
        m += QStringLiteral(".SS \"%1: %2\"\n").arg(roff(f.name), roff(f.summary));
        if (!f.help.isEmpty())
            m += roffParagraphs(f.help);
        for (const Action &a : f.actions) {
            m += QStringLiteral(".TP\n.B %1\n").arg(roff(synopsis(f, a)));
            m += roff(a.summary) + QLatin1Char('\n');
            // The action's text and options indented below its synopsis, as a block of their own.
            if (a.help.isEmpty() && a.options.isEmpty())
                continue;
            m += QStringLiteral(".RS\n");
            if (!a.help.isEmpty())
                m += QStringLiteral(".PP\n") + roffParagraphs(a.help);
            for (const Option &o : a.options)
                m += QStringLiteral(".TP\n.B %1\n%2\n").arg(roff(optionText(o)), roff(o.help));
            m += QStringLiteral(".RE\n");
        }
    }
    m += QStringLiteral(".SH \"EXIT STATUS\"\n") + roffParagraphs(kExitStatus);
    m += QStringLiteral(".SH EXAMPLES\n") + roffParagraphs(kExamples);
    m += QStringLiteral(".SH \"SEE ALSO\"\n.BR rfid\\-workbench (1)\n");
    return m;
}

QString bashCompletion()
{
    QStringList globals, valued;
    for (const GlobalOption &g : globalOptions()) {
        if (g.hidden)
            continue;
        const QString dashed = (g.name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + g.name;
        globals << dashed;
        if (!g.value.isEmpty() && !g.optionalValue)
            valued << dashed;
    }
    QStringList familyNames, familyCases, actionCases, secondCases;
    for (const Family &f : families()) {
        familyNames << f.name;
        const QStringList names = actionFirstWords(f);
        for (const QString &first : names)
            if (const QStringList second = actionSecondWords(f, first); !second.isEmpty())
                secondCases << QStringLiteral("        \"%1 %2\") seconds=\"%3\" ;;")
                                   .arg(f.name, first, second.join(QLatin1Char(' ')));
        for (const Action &a : f.actions) {
            QStringList opts;
            for (const Option &o : a.options)
                opts << QStringLiteral("--") + o.name;
            actionCases << QStringLiteral("    \"%1\") opts=\"%2\"; choices=\"%3\"; files=%4 ;;")
                               .arg(commandName(f, a), opts.join(QLatin1Char(' ')), a.choices.join(QLatin1Char(' ')),
                                    a.fileArgument ? QStringLiteral("1") : QStringLiteral("0"));
        }
        familyCases << QStringLiteral("    %1) actions=\"%2\" ;;").arg(f.name, names.join(QLatin1Char(' ')));
    }
    QString s = QStringLiteral(R"(# bash completion for rfidctl; made by `rfidctl --bash-completion`.
_rfidctl()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local i=1 family="" action="" start=0 actions="" opts="" choices="" files=0
    case "$prev" in
    --trace|--device) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
    --simulate) ;;
    @VALUED@) return ;;
    esac
    # --simulate=KIND, as one word or split at = (bash's usual word breaks).
    if [[ $cur == --simulate=* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "keyboard hf" -- "${cur#--simulate=}"); return
    fi
    if [ "$prev" = = ] && [ "${COMP_WORDS[COMP_CWORD-2]}" = --simulate ]; then
        mapfile -t COMPREPLY < <(compgen -W "keyboard hf" -- "$cur"); return
    fi
    # The command word: the first word that is neither an option nor an option's value.
    while [ $i -lt "$COMP_CWORD" ]; do
        case "${COMP_WORDS[i]}" in
        @VALUED@|=) i=$((i + 2)); continue ;;
        -*) i=$((i + 1)); continue ;;
        esac
        family=${COMP_WORDS[i]}; start=$i; break
    done
    if [ -z "$family" ]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "@GLOBALS@" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "@FAMILIES@" -- "$cur")
        fi
        return
    fi
    case "$family" in
@FAMILYCASES@
    esac
    if [ "$family" = help ]; then
        if [ $((start + 1)) -eq "$COMP_CWORD" ]; then
            mapfile -t COMPREPLY < <(compgen -W "@FAMILIES@" -- "$cur")
        fi
        return
    fi
    if [ -n "$actions" ]; then
        if [ $((start + 1)) -eq "$COMP_CWORD" ]; then
            mapfile -t COMPREPLY < <(compgen -W "$actions" -- "$cur"); return
        fi
        action="$family ${COMP_WORDS[start+1]}"; start=$((start + 1))
        # Two-word actions ("uhf mem read"): the second word, then the action it makes.
        local seconds=""
        case "$action" in
@SECONDCASES@
        esac
        if [ -n "$seconds" ]; then
            if [ $((start + 1)) -eq "$COMP_CWORD" ]; then
                mapfile -t COMPREPLY < <(compgen -W "$seconds" -- "$cur"); return
            fi
            action="$action ${COMP_WORDS[start+1]}"; start=$((start + 1))
        fi
    else
        action=$family
    fi
    case "$action" in
@ACTIONCASES@
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$opts" -- "$cur")
    elif [ $((start + 1)) -eq "$COMP_CWORD" ] && [ -n "$choices" ]; then
        mapfile -t COMPREPLY < <(compgen -W "$choices" -- "$cur")
    elif [ "$files" = 1 ]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -F _rfidctl rfidctl
)");
    s.replace(QStringLiteral("@VALUED@"), valued.join(QLatin1Char('|')));
    s.replace(QStringLiteral("@GLOBALS@"), globals.join(QLatin1Char(' ')));
    s.replace(QStringLiteral("@FAMILIES@"), familyNames.join(QLatin1Char(' ')));
    s.replace(QStringLiteral("@FAMILYCASES@"), familyCases.join(QLatin1Char('\n')));
    s.replace(QStringLiteral("@ACTIONCASES@"), actionCases.join(QLatin1Char('\n')));
    s.replace(QStringLiteral("@SECONDCASES@"), secondCases.join(QLatin1Char('\n')));
    return s;
}

} // namespace cli
