#pragma once

#include <QObject>

class QTabWidget;
class QWidget;

// Ctrl+Tab and Ctrl+PageDown go to the next page of the page control, Ctrl+Shift+Tab and
// Ctrl+PageUp to the previous one, wherever the focus is in the window. Pages whose tab is
// hidden or disabled are stepped over: the page control's own Ctrl+Tab would show a hidden
// page with no tab selected.
class TabNavigation : public QObject
{
    Q_OBJECT
public:
    TabNavigation(QTabWidget *tabs, QWidget *window);

    // The first page from index, step by step (+1 or -1) and round, whose tab is shown and
    // enabled; index itself when there is no other.
    static int nextShown(const QTabWidget *tabs, int index, int step);

    void step(int direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTabWidget *tabs_;
};
