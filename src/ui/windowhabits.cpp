#include "ui/windowhabits.h"

#include "pagekit/guard.h"
#include "ui/appsettings.h"
#include "ui/styles.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>

const char *const WindowHabits::kGeometryKey = "window/geometry";
const char *const WindowHabits::kStyleKey = "window/style";
const char *const WindowHabits::kHfPagesKey = "window/showHfPages";

WindowHabits::WindowHabits(QWidget &window, QTabWidget *tabs, QList<QWidget *> hfPages)
    : QObject(&window), window_(window), tabs_(tabs), hfPages_(std::move(hfPages))
{
    hfPagesAction = new QAction(QStringLiteral("Show HF card pages"), this);
    hfPagesAction->setObjectName(QStringLiteral("ToolsShowHfPages"));
    hfPagesAction->setCheckable(true);
    connect(hfPagesAction, &QAction::toggled, this, [this](bool on) { guard::run([this, on] { showHfPages(on); }); });
}

void WindowHabits::addTo(QMenu *tools)
{
    tools->addAction(hfPagesAction);
}

void WindowHabits::restore()
{
    const QSettings settings = appSettings();
    // Qt keeps a position off every screen there is now (a monitor unplugged) on one.
    const QByteArray geometry = settings.value(QLatin1String(kGeometryKey)).toByteArray();
    if (!geometry.isEmpty())
        window_.restoreGeometry(geometry);
    bool known = false;
    const int style = settings.value(QLatin1String(kStyleKey)).toInt(&known);
    if (known)
        styles::apply(style); // an index past the store does nothing
    hfPagesAction->setChecked(settings.value(QLatin1String(kHfPagesKey), false).toBool());
}

void WindowHabits::keepPosition()
{
    appSettings().setValue(QLatin1String(kGeometryKey), window_.saveGeometry());
}

void WindowHabits::chooseStyle(int index)
{
    styles::apply(index);
    appSettings().setValue(QLatin1String(kStyleKey), index);
}

void WindowHabits::showHfPages(bool on)
{
    // Before its tab goes: the tab bar would pick a neighbour of its own.
    if (!on && hfPages_.contains(tabs_->currentWidget()))
        tabs_->setCurrentIndex(0);
    for (QWidget *page : std::as_const(hfPages_))
        tabs_->setTabVisible(tabs_->indexOf(page), on);
    if (hfPagesAction->isChecked() != on)
        hfPagesAction->setChecked(on);
    appSettings().setValue(QLatin1String(kHfPagesKey), on);
}
