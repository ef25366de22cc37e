#pragma once

#include "epc/gs1scheme.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Encoding and decoding of the 96-bit GS1 EPCs. Every input error is a UserError whose message
// names the field and says what it expects; nothing is guessed or cut.
namespace epc
{

// One GS1 EPC by its fields, all as decimal digit text exactly as in the URIs.
//
//   scheme   companyPrefix  reference                          serial
//   SGTIN-96 6-12 digits    item reference, indicator digit    serial, 0 to 274877906943
//            (its length    first (13 digits with the prefix)
//   SSCC-96  picks the      serial reference, extension digit  (empty)
//            partition)     first (17 digits with the prefix)
//   SGLN-96                 location reference (12 with it)    extension, 0 to 2199023255551
//   GRAI-96                 asset type (12 with it)            serial, 0 to 274877906943
//   GIAI-96                 (empty)                            individual asset reference,
//                                                              0 to 2^(82 - prefix bits) - 1
// Serials, extensions and asset references are numbers without leading zeros ("0" is fine).
struct Gs1Epc {
    Scheme scheme = Scheme::Sgtin96;
    int filter = 0; // 0 to 7
    QString companyPrefix;
    QString reference;
    QString serial;
    bool operator==(const Gs1Epc &) const = default;
};

// The 12 bytes of a GS1 EPC; throws UserError on the first field that is wrong.
QByteArray encode(const Gs1Epc &epc);

// Checks every field as encode does, without building the bytes.
void validate(const Gs1Epc &epc);

// urn:epc:tag:sgtin-96:3.0614141.812345.6789 and the like (URI scheme names in any case).
Gs1Epc parseTagUri(const QString &uri);

// urn:epc:id:sgtin:0614141.812345.6789 plus the filter the tag URI carries and this one does
// not. The serial of a pure-identity URI may hold letters and %-escapes (for the longer
// schemes); the 96-bit schemes take digits only, and the message says so.
Gs1Epc parseIdUri(const QString &uri, int filter);

// An SGTIN-96 from a GTIN-14 whose check digit must be right, the length of the company
// prefix inside it (6 to 12) and the serial.
Gs1Epc fromGtin14(const QString &gtin14, int companyPrefixDigits, const QString &serial, int filter);

// The GS1 check digit of a digit string (the GTIN without its last digit).
int gs1CheckDigit(const QString &digits);

QString tagUri(const Gs1Epc &epc); // urn:epc:tag:sgtin-96:3.0614141.812345.6789
QString idUri(const Gs1Epc &epc);  // urn:epc:id:sgtin:0614141.812345.6789

// What bytes read from a tag mean.
struct Decoded {
    std::optional<Gs1Epc> gs1; // nothing when no scheme matches: the raw form
    QString tagUri;            // the EPC tag URI, or urn:epc:raw:96.x3074... for a raw value
    QString idUri;             // the pure-identity URI; empty for a raw value
    QString scheme;            // "SGTIN-96"; empty for a raw value
};

// Any whole number of bytes (at least one). Only 12 bytes can match a scheme; a value whose
// header, partition or fields no scheme allows (a company prefix past its digits, reserved
// bits set) is shown raw, with its length in bits.
Decoded decode(const QByteArray &epc);

// The field a GS1 sequence counts up: the serial (SGTIN, GRAI), extension (SGLN), serial
// reference (SSCC, within its digit count) or individual asset reference (GIAI).
struct Counter {
    quint64 value = 0;
    quint64 max = 0; // the largest value the scheme can carry
    QString name;    // "serial", for messages
};
Counter counterOf(const Gs1Epc &epc);
// The same EPC with the counter set to value (at most Counter::max, which the caller checks).
Gs1Epc withCounter(const Gs1Epc &epc, quint64 value);

} // namespace epc
