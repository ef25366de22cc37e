#pragma once

#include "protocol/reply.h"
#include "protocol/request.h"

#include <QByteArray>
#include <cstdint>

// ISO14443 type B cards and the resident identity card.
namespace protocol::typeb
{

constexpr uint8_t kRequest = 0x09;
constexpr uint8_t kAttrib = 0x0B;
constexpr uint8_t kSendData = 0x0D;
constexpr uint8_t kIdNumber = 0x26;
constexpr uint8_t kIdFileId = 0x27;
// The most data one send-data frame carries: LEN counts the code, the count byte and the data.
constexpr int kMaxSendBytes = 255 - 5 - 2;

Request request();
// cardId: the card's identifier as the request gave it.
Request attrib(const QByteArray &cardId);
// data: the bytes for the card, behind their count.
Request sendData(const QByteArray &data);
Request idNumber();
Request idFileId();

struct Answer {
    std::optional<uint8_t> length; // reply byte 4
    QByteArray data;               // bytes 5 up to the check byte
};
// The card's answer to the request.
Result<Answer> parseRequest(const QByteArray &reply);

struct Data {
    QByteArray data; // bytes 4 up to the check byte
};
Result<Data> parseSendData(const QByteArray &reply);

struct IdNumber {
    QByteArray number; // reply bytes 5 ... 12
};
Result<IdNumber> parseIdNumber(const QByteArray &reply);

} // namespace protocol::typeb
