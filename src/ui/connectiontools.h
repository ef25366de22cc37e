#pragma once

#include "ui/diagnosiswindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;
class ReaderLink;

// The window's part in reaching the reader: "Tools > Diagnose connection...", "Tools > Use
// the simulated reader", and the one line that the first exchange of a run that cannot
// reach the reader adds to the log, naming the cause and pointing to the diagnosis.
class ConnectionTools : public QObject
{
    Q_OBJECT
public:
    using Log = std::function<void(const QString &)>;

    ConnectionTools(ReaderLink &link, Log log, QWidget *window);

    void addTo(QMenu *tools);

    // Shows the diagnosis window, running the checks when it is new.
    void showDiagnosis();

    // Offers "Use the simulated reader": use puts the simulator behind the window.
    void offerSimulator(std::function<void()> use);
    void useSimulator();

    // True (once) when line is the reason this has just put in the log itself: the link's
    // notice of the same failure is then not repeated.
    bool swallows(const QString &line);

    // The checks the diagnosis runs: this machine's connection checks unless replaced.
    DiagnosisWindow::Checks checks;

    QAction *diagnoseAction;
    QAction *simulatorAction;
    QPointer<DiagnosisWindow> diagnosis;

    static QString hintLine(const QString &why);

private:
    void readerFailed(const QString &why);

    Log log_;
    QWidget *window_;
    std::function<void()> useSimulator_;
    bool hinted_ = false;
    QString swallow_;
};
