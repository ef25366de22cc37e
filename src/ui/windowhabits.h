#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QTabWidget;
class QWidget;

// What the main window keeps between runs: its position, the look chosen in "Stype", and
// whether the HF card pages are shown ("Tools > Show HF card pages", off unless the user
// turned it on). Nothing else: every field of the pages starts with the form's own value.
class WindowHabits : public QObject
{
    Q_OBJECT
public:
    // hfPages: the pages whose tabs are hidden unless the user shows them.
    WindowHabits(QWidget &window, QTabWidget *tabs, QList<QWidget *> hfPages);

    void addTo(QMenu *tools);

    // Puts back what was kept; the window is built, not yet shown.
    void restore();
    // Keeps where the window is (when it closes).
    void keepPosition();

    // Applies the look at index of the style store and keeps the choice.
    void chooseStyle(int index);
    // Shows or hides the HF card pages' tabs and keeps the choice. A hidden page that was
    // current gives way to the first page.
    void showHfPages(bool on);

    QAction *hfPagesAction;

    // The keys under which the choices are kept.
    static const char *const kGeometryKey;
    static const char *const kStyleKey;
    static const char *const kHfPagesKey;

private:
    QWidget &window_;
    QTabWidget *tabs_;
    QList<QWidget *> hfPages_;
};
