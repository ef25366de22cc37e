#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

// A networked reader's WiFi: join a network, report the IP address, list the networks in range.
namespace protocol::wifi
{

constexpr uint8_t kJoin = 0x8A;
constexpr uint8_t kIpAddress = 0x8B;
constexpr uint8_t kScan = 0x8C;
constexpr char kSeparator = ',';
// Name, comma and password share one frame with the command code.
constexpr int kMaxJoinBytes = 255 - 5 - 1;

// The reader splits name and password at the first comma: a name must not hold one. Both go
// out as UTF-8, the code page the reader sends its texts in.
Request join(const QString &name, const QString &password);
Request ipAddress();
Request scan();

// Reply bytes as text: UTF-8, or one character per byte where the bytes are not UTF-8, so a
// name picked from a listing goes back with the same bytes.
QString textOf(const QByteArray &bytes);

struct IpAddress {
    QByteArray text; // everything between the status byte and the check byte
};
Result<IpAddress> parseIpAddress(const QByteArray &reply);

struct Network {
    QByteArray name;
    QByteArray signal; // the three bytes after the comma
};
struct Networks {
    QList<Network> networks;
};
// Entries: name bytes, a comma, three signal bytes, one byte more. The last eight bytes of the
// reply are never scanned, so the signal bytes always lie inside it.
Result<Networks> parseNetworks(const QByteArray &reply);

} // namespace protocol::wifi
