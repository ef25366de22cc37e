#include "ui/tabnavigation.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

TabNavigation::TabNavigation(QTabWidget *tabs, QWidget *window) : QObject(window), tabs_(tabs)
{
    const struct {
        QKeySequence keys;
        int direction;
    } bindings[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                    {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                    {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto &b : bindings) {
        auto *shortcut = new QShortcut(b.keys, window);
        connect(shortcut, &QShortcut::activated, this, [this, d = b.direction] { step(d); });
    }
    // A widget that takes the keys for itself lets them reach the page control only when it
    // does not want them; the page control's own handling of Ctrl+Tab is replaced here too.
    tabs_->installEventFilter(this);
}

int TabNavigation::nextShown(const QTabWidget *tabs, int index, int step)
{
    const int count = tabs->count();
    for (int i = 1; i < count; ++i) {
        const int at = ((index + step * i) % count + count) % count;
        if (tabs->isTabVisible(at) && tabs->isTabEnabled(at))
            return at;
    }
    return index;
}

void TabNavigation::step(int direction)
{
    tabs_->setCurrentIndex(nextShown(tabs_, tabs_->currentIndex(), direction));
}

bool TabNavigation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabs_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & Qt::ControlModifier) && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            step(back ? -1 : 1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
