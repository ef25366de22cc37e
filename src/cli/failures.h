#pragma once

#include "cli/record.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace cli
{

// The reader refused a command, did not answer, answered damaged, or a read-back differs:
// exit status 1. Bad input is a UserError (exit status 2).
class ReaderFailure : public std::runtime_error
{
public:
    ReaderFailure(QString status, const QString &message, std::optional<uint8_t> code = std::nullopt, Record found = {})
        : std::runtime_error(message.toStdString()), status_(std::move(status)), message_(message), code_(code),
          found_(std::move(found))
    {
    }
    const QString &status() const { return status_; }
    const QString &message() const { return message_; }
    std::optional<uint8_t> errorCode() const { return code_; }
    // What the command had found or done before it failed.
    const Record &found() const { return found_; }

private:
    QString status_;
    QString message_;
    std::optional<uint8_t> code_;
    Record found_;
};

// No reader, or it cannot be opened: exit status 3.
class NoReader : public std::runtime_error
{
public:
    explicit NoReader(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};

// The exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitReader = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoReader = 3;

} // namespace cli
