#include "ui/sessionlogswitch.h"

#include "base/clock.h"
#include "base/errors.h"
#include "files/sessionlog.h"
#include "files/sessionlogfolder.h"
#include "pagekit/guard.h"
#include "ui/appsettings.h"
#include "ui/logpane.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QUrl>

namespace
{

const QString kKeepKey = QStringLiteral("sessionLogs/keep");

} // namespace

SessionLogSwitch::SessionLogSwitch(LogPane &pane, QObject *parent, const files::SysCalls &sys)
    : QObject(parent), pane_(&pane), sys_(sys)
{
    openFolderAction = new QAction(QStringLiteral("Open session logs folder"), this);
    openFolderAction->setObjectName(QStringLiteral("ToolsOpenSessionLogs"));
    keepAction = new QAction(QStringLiteral("Keep session logs"), this);
    keepAction->setObjectName(QStringLiteral("ToolsKeepSessionLogs"));
    keepAction->setCheckable(true);
    keepAction->setChecked(appSettings().value(kKeepKey, true).toBool());
    connect(openFolderAction, &QAction::triggered, this, [this] { guard::run([this] { openFolder(); }); });
    connect(keepAction, &QAction::toggled, this, [this](bool on) { guard::run([this, on] { setKeeping(on); }); });

    sessionlogs::prune(folder(), appclock::now(), kMaxAgeDays);
    if (keepAction->isChecked())
        start();
}

SessionLogSwitch::~SessionLogSwitch()
{
    if (pane_)
        pane_->setSessionLog(nullptr);
}

void SessionLogSwitch::addTo(QMenu *tools)
{
    tools->addAction(openFolderAction);
    tools->addAction(keepAction);
}

QString SessionLogSwitch::folder() const
{
    return sessionlogs::defaultFolder();
}

void SessionLogSwitch::start()
{
    auto log = std::make_unique<SessionLog>(folder(), appclock::now(), sys_);
    if (!log->error().isEmpty()) {
        pane_->add(QStringLiteral("Session log not kept: %1   ").arg(log->error()) + timeStamp());
        return;
    }
    connect(log.get(), &SessionLog::stopped, this, [this, path = log->path()](const QString &why) {
        if (pane_)
            pane_->add(QStringLiteral("Session log paused: writing %1 failed (%2). The lines go on here only.   ")
                           .arg(QDir::toNativeSeparators(path), why) +
                       timeStamp());
    });
    log_ = std::move(log);
    pane_->setSessionLog(log_.get());
}

void SessionLogSwitch::setKeeping(bool keep)
{
    appSettings().setValue(kKeepKey, keep);
    if (keep == bool(log_))
        return;
    pane_->setSessionLog(nullptr);
    log_.reset();
    if (keep)
        start();
}

void SessionLogSwitch::openFolder()
{
    const QString where = folder();
    QDir().mkpath(where);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(where)))
        throw UserError(QStringLiteral("No program to show folders was found. The session logs are in \"%1\".")
                            .arg(QDir::toNativeSeparators(where)));
}
