#pragma once

#include "support/pump.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <termios.h>

class TComm;

// A pseudo-terminal whose slave side the component opens by name; the test plays the far
// end on the master side.
struct Pty {
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void send(const QByteArray &bytes) const;
    // Reads from the master until n bytes are in or ms pass without enough.
    QByteArray receive(qsizetype n, int ms) const;
    // The line settings as the device holds them.
    termios attrs() const;
    void setAttrs(const termios &t) const;
    // The far end vanishes: the component's side sees a hang-up.
    void closeMaster();

    int master = -1;
    int slave = -1; // kept open, so that the master never sees the device closed
    QString path;
};

// The settings the main window gives its port.
void configureLikeMainWindow(TComm &comm);
