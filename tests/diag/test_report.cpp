#include "diag/finding.h"

#include <gtest/gtest.h>

namespace
{

using diag::Finding;
using diag::Severity;

Finding finding(Severity severity, const QString &summary, const QStringList &fix = {})
{
    Finding f;
    f.severity = severity;
    f.summary = summary;
    f.fix = fix;
    return f;
}

TEST(Report, VerdictCountsWhatIsInTheWay)
{
    const Finding ok = finding(Severity::Ok, "fine"), info = finding(Severity::Info, "note"),
                  warning = finding(Severity::Warning, "w"), error = finding(Severity::Error, "e");
    const struct {
        QList<Finding> findings;
        const char *verdict;
    } cases[] = {{{}, "Nothing in the way found."},
                 {{ok, info}, "Nothing in the way found."},
                 {{warning}, "1 warning."},
                 {{error, ok, error, warning, warning}, "2 errors, 2 warnings."}};
    for (const auto &c : cases)
        EXPECT_EQ(diag::verdict(c.findings), c.verdict);
}

TEST(Report, EachFindingThenTheVerdictAndTheCommandsAlone)
{
    const Finding f = finding(Severity::Error, "No reader found.",
                              {"Join the group:", "  sudo usermod -aG dialout alice", "then log out and in."});
    EXPECT_EQ(diag::formatReport({f, finding(Severity::Ok, "Port: fine.")}), "error: No reader found.\n"
                                                                             "  fix: Join the group:\n"
                                                                             "         sudo usermod -aG dialout alice\n"
                                                                             "       then log out and in.\n"
                                                                             "\n"
                                                                             "ok: Port: fine.\n"
                                                                             "\n"
                                                                             "1 error.\n");
    EXPECT_EQ(diag::fixCommands(f), QStringList{"sudo usermod -aG dialout alice"});
}

} // namespace
