#pragma once

#include "instanttransport.h"

#include <QStringList>
#include <memory>

class TForm1;

// The main window as the user has it: shown (offscreen), on an instant reader, its error
// display and modal dialogs neutral so that nothing blocks a measurement. One for the whole
// run, made on first use.
class WindowRig
{
public:
    static WindowRig &get();
    // Destroys the window while the application still exists.
    static void release();

    InstantTransport usb;
    TForm1 &form() { return *form_; }
    // Handler errors shown since the last call (a benchmark that meets one is not valid).
    QStringList takeErrors();
    // Runs pending events, painting included.
    static void settle();

private:
    WindowRig();
    ~WindowRig();
    std::unique_ptr<TForm1> form_;
    QStringList errors_;
};
