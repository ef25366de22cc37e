#pragma once

#include "protocol/request.h"

#include <QList>
#include <QString>

namespace cli
{

// The thirteen settings of the output device (prefix and suffix, search interval, card
// filter, output interfaces, baud rate, end symbol, Wiegand format and timing, RF power, the
// USB virtual serial port), as `output set` and profiles write them.
struct OutputSetting {
    QString word;  // `output set` takes it: "end-symbol"
    QString value; // what the value is, for help: "0 to 2"
    QString help;
    // The request for a value written as text; throws UserError naming `name`.
    protocol::Request (*request)(const QString &text, const QString &name);

    // Its key in a profile: the word in snake_case.
    QString key() const;
};

const QList<OutputSetting> &outputSettings();
const OutputSetting *findOutputSetting(const QString &word);

} // namespace cli
