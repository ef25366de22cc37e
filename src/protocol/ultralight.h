#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <cstdint>

// Ultralight cards: serial number, pages, halt.
namespace protocol::ultralight
{

constexpr uint8_t kReadPages = 0xE0;
constexpr uint8_t kWritePage = 0xE1;
constexpr uint8_t kReadSerial = 0xE3;
constexpr uint8_t kHalt = 0x06;
constexpr int kPages = 16;
constexpr int kPageBytes = 4;

// allCards: request all cards rather than idle ones.
Request readSerial(bool allCards);
// The page and the three after it.
Request readPages(bool allCards, uint8_t page);
// data: the page's 4 bytes.
Request writePage(bool allCards, uint8_t page, const QByteArray &data);
Request halt();

struct Serial {
    QByteArray serial; // reply bytes 4 ... 10
};
Result<Serial> parseSerial(const QByteArray &reply);

struct Pages {
    QByteArray data;   // reply bytes 4 ... 19: four pages
    QByteArray serial; // reply bytes 20 ... 26
};
Result<Pages> parsePages(const QByteArray &reply);

} // namespace protocol::ultralight
