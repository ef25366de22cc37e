#pragma once

#include <QAbstractButton>
#include <QString>
#include <functional>

class QDialog;

namespace guard
{

// Runs a handler; an error it raises is shown by the error display instead of unwinding
// through the event loop.
void run(const std::function<void()> &handler);

// The error display: a message box by default; tests record the messages instead.
void setErrorDisplay(std::function<void(const QString &)> display);
void showError(const QString &message);

// Connects a button's click to a guarded handler.
void onClick(QAbstractButton *button, std::function<void()> handler);

// Shows a dialog modally; tests replace the runner so that nothing blocks.
void setModalRunner(std::function<void(QDialog *)> runner);
void runModal(QDialog *dialog);

} // namespace guard
