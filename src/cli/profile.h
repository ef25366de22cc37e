#pragma once

#include "protocol/keyboard.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace cli
{

// A reader's settings as a JSON file, for `profile save` and `profile apply`:
//
//   {"format": 1,
//    "keyboard": {"format": "hex8", "semicolon": true, "question_mark": false, "comma": false,
//                 "enter": true, "rssi": false, "buzzer": "big", "mode": "active", "voice": "on"},
//    "output": {"prefix": "3031", "suffix": "", "interval": 10, "filter": 0,
//               "interfaces": ["serial", "usb"], "baud": 9600, "end_symbol": 2, ...,
//               "usb_serial": false},
//    "uhf": {"mode": "single"},
//    "wifi": {"name": "workshop", "password": "..."},
//    "saved_from": {...}}
//
// Every section and key is optional except "format" and, once one of them is given, the five
// keyboard format keys the reader sets together (format, semicolon, question_mark, comma,
// enter). Unknown keys are refused, so that a misspelt one never goes unnoticed; "saved_from"
// (what profile save read the settings from) is not applied.
struct Profile {
    static constexpr int kFormat = 1; // the newest format this program reads and writes

    // One setting to send, named as in the file ("output.baud").
    struct Step {
        QString name;
        protocol::Request request;
        bool answerOptional = false; // the voice switch: the reader need not answer
    };
    QList<Step> steps;
    // The part the reader can read back, for --verify.
    std::optional<protocol::keyboard::FormatSettings> keyboardFormat;

    // What the read-back says otherwise than the profile: "keyboard.comma: profile true, reader
    // false", one per key; empty when they agree or the profile sets no keyboard format.
    QStringList differences(const protocol::keyboard::FormatReadback &readBack) const;

    // Reads and checks a profile file; throws UserError naming the key and what it expects.
    static Profile read(const QString &path);
    // The steps of a profile text (path only for messages).
    static Profile parse(const QByteArray &json, const QString &path);
};

// What profile save writes: the settings the reader let us read.
QByteArray savedProfile(const protocol::keyboard::FormatReadback &format, const QString &version);

} // namespace cli
