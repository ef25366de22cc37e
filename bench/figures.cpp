#include "figures.h"

#include <QHash>
#include <cmath>

namespace figures
{
namespace
{

QHash<QString, double> &notes()
{
    static QHash<QString, double> n;
    return n;
}

} // namespace

void note(const QString &key, double value)
{
    notes().insert(key, value);
}

std::optional<double> noted(const QString &key)
{
    const auto it = notes().constFind(key);
    if (it == notes().constEnd())
        return std::nullopt;
    return *it;
}

void clearNotes()
{
    notes().clear();
}

std::optional<Row> judge(const Figure &figure)
{
    QList<double> values;
    QStringList missing;
    for (const QString &key : figure.keys) {
        if (const auto v = noted(key))
            values << *v;
        else
            missing << key;
    }
    if (!missing.isEmpty()) {
        if (figure.optional)
            return std::nullopt;
        return Row{figure.name, figure.target, QStringLiteral("not measured (%1)").arg(missing.join(u',')),
                   Verdict::Fail};
    }
    const double v = figure.value ? figure.value(values) : values.value(0, NAN);
    // Written so that a value that is not a number never passes.
    const bool pass = figure.bound == Bound::AtMost ? v <= figure.limit : v >= figure.limit;
    const QString measured = figure.describe ? figure.describe(values) : num(v, 3);
    return Row{figure.name, figure.target, measured, pass ? Verdict::Pass : Verdict::Fail};
}

QString rowLine(const Row &row)
{
    // A tab or line break inside a column would shift the table.
    const auto clean = [](QString s) { return s.replace(u'\t', u' ').replace(u'\n', u' '); };
    return clean(row.figure) + u'\t' + clean(row.target) + u'\t' + clean(row.measured) + u'\t' +
           (row.verdict == Verdict::Pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
}

QString num(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    return QString::number(value, 'f', decimals);
}

} // namespace figures
