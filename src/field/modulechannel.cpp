#include "field/modulechannel.h"

#include "base/hex.h"
#include "protocol/uhf.h"

namespace field
{

namespace
{

// Reader error codes that concern the pass-through.
constexpr uint8_t kReaderOverflow = 0x10; // the module's reply is longer than the reply area
constexpr uint8_t kReaderNoCard = 0x83;
constexpr uint8_t kReaderUnknownCommand = 0x8F;

} // namespace

ModuleChannel::ModuleChannel(Exchanger exchanger, std::optional<int> waitMs)
    : exchanger_(std::move(exchanger)), waitMs_(waitMs)
{
}

ModuleAnswer ModuleChannel::send(protocol::Request request)
{
    using Outcome = protocol::Exchange::Outcome;
    using Kind = ModuleAnswer::Kind;
    if (waitMs_)
        request.waitMs = *waitMs_;
    ++exchanges_;
    last_ = exchanger_(request);
    why_.clear();
    ModuleAnswer answer;
    switch (last_.outcome) {
    case Outcome::NoReader:
    case Outcome::Gone:
        answer.kind = Kind::ReaderGone;
        why_ = QStringLiteral("the reader cannot be reached");
        return answer;
    case Outcome::TooLong:
        answer.kind = Kind::TooLong;
        why_ = QStringLiteral("the frame is longer than the reader takes");
        return answer;
    case Outcome::NoAnswer:
    case Outcome::Superseded:
        answer.kind = Kind::NoAnswer;
        why_ = QStringLiteral("no reply from the reader within %1 ms").arg(request.waitMs);
        return answer;
    case Outcome::Damaged:
        answer.kind = Kind::NoAnswer;
        why_ = QStringLiteral("the reader's reply is damaged");
        return answer;
    case Outcome::Refused:
        answer.kind = last_.errorCode == kReaderNoCard           ? Kind::NoTag
                      : last_.errorCode == kReaderUnknownCommand ? Kind::Unsupported
                      : last_.errorCode == kReaderOverflow       ? Kind::TooLong
                                                                 : Kind::NoAnswer;
        why_ = last_.errorCode ? QStringLiteral("the reader refused with error %1").arg(hex::byteText(*last_.errorCode))
                               : QStringLiteral("the reader refused");
        return answer;
    case Outcome::Answered:
        break;
    }
    const bool serial = last_.channel == protocol::Exchange::Channel::Serial;
    protocol::uhf::ModuleFrames split =
        protocol::uhf::splitModuleFrames(serial ? last_.reply : protocol::uhf::moduleFrame(last_.reply));
    if (split.frames.empty()) {
        answer.kind = Kind::NoAnswer;
        why_ = QStringLiteral("the module's reply is damaged");
        return answer;
    }
    answer.kind = Kind::Frames;
    answer.frames = std::move(split.frames);
    answer.rest = std::move(split.rest);
    return answer;
}

} // namespace field
