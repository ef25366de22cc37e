#pragma once

#include "cli/record.h"

#include <QString>
#include <QTextStream>
#include <optional>

namespace cli
{

// Standard output and standard error of a run. Human-readable lines by default; with JSON one
// object per command on one line of standard output. Errors always go to standard error in
// plain words.
class Output
{
public:
    Output(bool json, QTextStream &out, QTextStream &err) : json_(json), out_(out), err_(err) {}

    bool json() const { return json_; }

    // A command that ran to its end.
    void success(const QString &command, const Record &record);
    // A command that ran and failed: status is "refused", "no_reply", "damaged",
    // "verify_failed", "failed", "stopped" (Ctrl+C) or "no_reader"; the record holds what it
    // found before.
    void failure(const QString &command, const QString &status, const QString &message,
                 std::optional<uint8_t> errorCode, const Record &record);
    // A message on standard error, "rfidctl: " in front.
    void error(const QString &message);
    // Text as it stands on standard output (help, manual page, completion).
    void text(const QString &text);
    // A line on standard error that the next one overwrites (a progress bar on a terminal: the
    // caller keeps it narrower than the terminal). Any other output ends it first.
    void progress(const QString &line);

private:
    void jsonLine(const QString &command, bool ok, const Record &record, const QList<Record::Field> &extra);
    // Moves past a progress line, so that what follows starts a line of its own.
    void endProgress();

    bool json_;
    bool reported_ = false;
    bool progressShown_ = false;
    QTextStream &out_;
    QTextStream &err_;
};

} // namespace cli
