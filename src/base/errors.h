#pragma once

#include <QString>
#include <stdexcept>

// A failure that is not a reader reply (a bad number, a file or port error). Handlers throw
// it; the guard around every widget handler shows its message in a message box.
class UserError : public std::runtime_error
{
public:
    explicit UserError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};
