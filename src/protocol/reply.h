#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// Replies of the reader, read without trusting them: every accessor looks only at the bytes
// the reply holds, so a short or damaged reply gives short or empty fields, never a read
// past its end.
namespace protocol
{

// What a reply says about its command.
enum class Status {
    NoReply, // nothing came (no reader, silence, or another command took the wait)
    Success, // status byte 0x00
    Refused, // status byte 0x01: the reader's error code follows
    Damaged, // any other status byte, or none
};

// A reader reply frame: AA ADDR LEN STATUS DATA... XOR BB.
class ReaderReply
{
public:
    static constexpr int kStatusByte = 3;

    ReaderReply() = default;
    explicit ReaderReply(QByteArray frame) : frame_(std::move(frame)) {}

    const QByteArray &frame() const { return frame_; }
    int size() const { return int(frame_.size()); }
    bool isEmpty() const { return frame_.isEmpty(); }

    // The status at byte k (3 for reader replies).
    Status status(int k = kStatusByte) const;
    // The reader's error code of a refusal: the byte after the status, when there is one.
    std::optional<uint8_t> errorCode(int k = kStatusByte) const { return byte(k + 1); }

    // Byte k, counted from 0 at the header.
    std::optional<uint8_t> byte(int k) const;
    bool isZero(int k) const { return byte(k) == uint8_t(0); }
    // Bytes first ... last; shorter or empty where the reply ends first; empty when last is
    // before first.
    QByteArray span(int first, int last) const;
    // Everything between the status byte and the check byte.
    QByteArray data() const { return span(kStatusByte + 1, size() - 3); }

private:
    QByteArray frame_;
};

// The outcome of a typed call: the reply's status, the error code of a refusal, and what the
// reply carries on success.
template <class T> struct Result {
    Status status = Status::NoReply;
    std::optional<uint8_t> errorCode;
    T value{};
    bool ok() const { return status == Status::Success; }
};

// A reply that carries nothing besides its status.
struct Ack {
};

// The status part of a result; value left for the caller to fill on success.
template <class T> Result<T> resultOf(const ReaderReply &reply)
{
    Result<T> r;
    r.status = reply.status();
    if (r.status == Status::Refused)
        r.errorCode = reply.errorCode();
    return r;
}

// Status and error code only.
Result<Ack> ack(const QByteArray &reply);

// The result of a reply whose fields, on success, fields(ReaderReply) reads from it.
template <class T, class Fields> Result<T> parseReply(const QByteArray &reply, Fields fields)
{
    const ReaderReply r(reply);
    auto result = resultOf<T>(r);
    if (result.ok())
        result.value = fields(r);
    return result;
}

} // namespace protocol
