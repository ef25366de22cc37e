#include "diag/finding.h"

namespace diag
{

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Ok:
        return QStringLiteral("ok");
    case Severity::Info:
        return QStringLiteral("info");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Error:
        return QStringLiteral("error");
    }
    return QString();
}

QString formatFinding(const Finding &finding)
{
    QString text = severityName(finding.severity) + QStringLiteral(": ") + finding.summary + QLatin1Char('\n');
    for (const QString &line : finding.details)
        text += QStringLiteral("    ") + line + QLatin1Char('\n');
    for (int i = 0; i < finding.fix.size(); ++i)
        text += (i == 0 ? QStringLiteral("  fix: ") : QStringLiteral("       ")) + finding.fix[i] + QLatin1Char('\n');
    return text;
}

Severity worstSeverity(const QList<Finding> &findings)
{
    Severity worst = Severity::Ok;
    for (const Finding &f : findings)
        if (int(f.severity) > int(worst))
            worst = f.severity;
    return worst;
}

} // namespace diag
