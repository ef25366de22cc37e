#pragma once

#include "files/syscalls.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class LogPane;
class QAction;
class QMenu;
class SessionLog;

// The session log of the run behind the log pane, and its two Tools entries: "Open session
// logs folder" and "Keep session logs" (on unless the user turned it off, remembered across
// runs). At start-up, logs last written more than 30 days ago are removed. When the disk
// refuses the log, one line in the pane says so and the pane goes on without it.
class SessionLogSwitch : public QObject
{
    Q_OBJECT
public:
    explicit SessionLogSwitch(LogPane &pane, QObject *parent = nullptr,
                              const files::SysCalls &sys = files::SysCalls::real());
    ~SessionLogSwitch() override;

    void addTo(QMenu *tools);

    void openFolder();
    void setKeeping(bool keep);

    QString folder() const;
    SessionLog *log() const { return log_.get(); }

    QAction *openFolderAction;
    QAction *keepAction;

    static constexpr int kMaxAgeDays = 30;

private:
    void start();

    QPointer<LogPane> pane_; // a window takes its pane down first
    const files::SysCalls sys_;
    std::unique_ptr<SessionLog> log_;
};
