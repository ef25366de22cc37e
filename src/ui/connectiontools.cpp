#include "ui/connectiontools.h"

#include "diag/doctor.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"

#include <QAction>
#include <QMenu>

ConnectionTools::ConnectionTools(ReaderLink &link, Log log, QWidget *window)
    : QObject(window), log_(std::move(log)), window_(window)
{
    checks = [] { return diag::Doctor(diag::DoctorOptions::forThisProcess()).run(); };

    diagnoseAction = new QAction(QStringLiteral("Diagnose connection..."), this);
    diagnoseAction->setObjectName(QStringLiteral("ToolsDiagnose"));
    connect(diagnoseAction, &QAction::triggered, this, [this] { guard::run([this] { showDiagnosis(); }); });
    simulatorAction = new QAction(QStringLiteral("Use the simulated reader"), this);
    simulatorAction->setObjectName(QStringLiteral("ToolsUseSimulator"));
    simulatorAction->setEnabled(false); // until the program offers one
    connect(simulatorAction, &QAction::triggered, this, [this] { guard::run([this] { useSimulator(); }); });

    connect(&link, &ReaderLink::readerFailed, this, &ConnectionTools::readerFailed);
    // The notice of a failure comes within its exchange; what was not said by then never is.
    connect(&link, &ReaderLink::exchanged, this, [this] { swallow_.clear(); });
}

void ConnectionTools::addTo(QMenu *tools)
{
    tools->addAction(diagnoseAction);
    tools->addAction(simulatorAction);
}

void ConnectionTools::showDiagnosis()
{
    if (!diagnosis)
        diagnosis = new DiagnosisWindow(checks, window_);
    diagnosis->show();
    diagnosis->raise();
    diagnosis->activateWindow();
}

void ConnectionTools::offerSimulator(std::function<void()> use)
{
    useSimulator_ = std::move(use);
    simulatorAction->setEnabled(bool(useSimulator_));
}

void ConnectionTools::useSimulator()
{
    if (!useSimulator_)
        return;
    // Once: the simulator stays for the rest of the run.
    const std::function<void()> use = std::move(useSimulator_);
    useSimulator_ = nullptr;
    simulatorAction->setEnabled(false);
    use();
}

bool ConnectionTools::swallows(const QString &line)
{
    if (swallow_.isEmpty() || line != swallow_)
        return false;
    swallow_.clear();
    return true;
}

QString ConnectionTools::hintLine(const QString &why)
{
    return QStringLiteral("%1 Tools > Diagnose connection... looks for the cause and names the fix.").arg(why);
}

void ConnectionTools::readerFailed(const QString &why)
{
    if (hinted_)
        return;
    hinted_ = true;
    swallow_ = why;
    log_(hintLine(why));
}
