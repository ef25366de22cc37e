#include "commission/readertagport.h"

#include "link/exchangeport.h"
#include "protocol/reply.h"
#include "protocol/uhf.h"

namespace commission
{

using epc::FieldTag;
using epc::PortStatus;
namespace uhf = protocol::uhf;

namespace
{

// Module error codes.
constexpr uint8_t kReadFailed = 0x09;
constexpr uint8_t kWriteFailed = 0x10;
constexpr uint8_t kNoTag = 0x15;
constexpr uint8_t kAccessFailed = 0x16;
constexpr uint8_t kInvalidCommand = 0x17;
// The tag's own error codes come back as 0xA0 + the air interface's code (0xA3 memory overrun,
// 0xA4 memory locked, 0xAB insufficient power ...).
constexpr uint8_t kTagErrors = 0xA0;

// Reader error codes that concern the pass-through (0x82, the module did not answer, and the
// rest count as no answer).
constexpr uint8_t kReaderNoCard = 0x83;
constexpr uint8_t kReaderUnknownCommand = 0x8F;

QByteArray passwordBytes(quint32 password)
{
    return protocol::bytes({char(password >> 24), char(password >> 16), char(password >> 8), char(password)});
}

} // namespace

ReaderTagPort::ReaderTagPort(ExchangePort &port, std::optional<int> waitMs, quint32 readPassword)
    : port_(port), waitMs_(waitMs), readPassword_(readPassword)
{
}

PortStatus ReaderTagPort::send(protocol::Request request, std::vector<QByteArray> &frames)
{
    using Outcome = protocol::Exchange::Outcome;
    ++exchanges_;
    if (waitMs_)
        request.waitMs = *waitMs_;
    last_ = port_.exchange(request);
    switch (last_.outcome) {
    case Outcome::NoReader:
    case Outcome::Gone:
        return PortStatus::ReaderGone;
    case Outcome::TooLong:
        return PortStatus::Unsupported;
    case Outcome::NoAnswer:
    case Outcome::Superseded:
    case Outcome::Damaged: // damaged on the way: as good as none
        return PortStatus::NoAnswer;
    case Outcome::Refused:
        if (last_.errorCode == kReaderNoCard)
            return PortStatus::NoTag;
        if (last_.errorCode == kReaderUnknownCommand)
            return PortStatus::Unsupported;
        return PortStatus::NoAnswer;
    case Outcome::Answered:
        break;
    }
    uhf::ModuleFrames split = uhf::splitModuleFrames(uhf::moduleFrame(last_.reply));
    if (split.frames.empty())
        return PortStatus::NoAnswer;
    frames = std::move(split.frames);
    if (!split.rest.isEmpty())
        frames.push_back(split.rest); // no whole frame: callers find it does not parse
    return PortStatus::Ok;
}

PortStatus ReaderTagPort::moduleError(uint8_t code, const QByteArray &epc)
{
    if (code == kNoTag)
        return PortStatus::NoTag;
    if (code == kReadFailed || code == kWriteFailed) {
        // The module cannot say whether the tag left or just did not answer: look.
        std::vector<FieldTag> tags;
        const PortStatus st = inventory(tags);
        if (st == PortStatus::ReaderGone)
            return st;
        if (st == PortStatus::NoTag || st == PortStatus::Ok) {
            for (const FieldTag &t : tags)
                if (t.epc == epc)
                    return PortStatus::NoAnswer;
            return PortStatus::NoTag;
        }
        return PortStatus::NoAnswer;
    }
    if (code == kAccessFailed || (code & 0xF0) == kTagErrors)
        return PortStatus::Refused;
    if (code == kInvalidCommand)
        return PortStatus::Unsupported;
    return PortStatus::NoAnswer;
}

PortStatus ReaderTagPort::command(const protocol::Request &request, uint8_t code, const QByteArray &epc,
                                  QByteArray &module)
{
    std::vector<QByteArray> frames;
    const PortStatus st = send(request, frames);
    if (st != PortStatus::Ok)
        return st;
    const auto reply = uhf::parseModule(frames.front());
    if (!reply)
        return PortStatus::NoAnswer;
    if (reply->isError())
        return reply->errorCode() ? moduleError(*reply->errorCode(), epc) : PortStatus::NoAnswer;
    if (reply->command != code)
        return PortStatus::NoAnswer; // the answer to something else
    module = frames.front();
    return PortStatus::Ok;
}

PortStatus ReaderTagPort::inventory(std::vector<FieldTag> &tags)
{
    std::vector<QByteArray> frames;
    const PortStatus st = send(uhf::inventory(), frames);
    if (st != PortStatus::Ok)
        return st;
    std::vector<Seen> seen;
    for (const QByteArray &frame : frames) {
        const auto reply = uhf::parseModule(frame);
        if (reply && reply->isError()) {
            if (frames.size() > 1)
                continue; // an error frame among tag frames says nothing more
            if (reply->errorCode() == kNoTag) {
                seen_.clear();
                return PortStatus::NoTag;
            }
            return reply->errorCode() == kInvalidCommand ? PortStatus::Unsupported : PortStatus::NoAnswer;
        }
        const auto tag = reply && reply->command == uhf::kInventory ? uhf::parseInventory(frame) : std::nullopt;
        if (!tag) {
            // A tag frame the reply area cut, behind whole ones: one more tag.
            if (!seen.empty())
                return PortStatus::SeveralTags;
            return PortStatus::NoAnswer;
        }
        seen.push_back(Seen{tag->epc, tag->crc});
    }
    if (seen.empty())
        return PortStatus::NoAnswer;
    for (const Seen &s : seen)
        tags.push_back(FieldTag{s.epc, {}});
    seen_ = std::move(seen);
    return PortStatus::Ok;
}

PortStatus ReaderTagPort::select(const QByteArray &epc)
{
    QByteArray module;
    return command(uhf::select(epc), uhf::kSelect, epc, module);
}

PortStatus ReaderTagPort::readWords(const QByteArray &epc, uint8_t bank, uint16_t address, uint16_t words,
                                    QByteArray &data)
{
    PortStatus st = select(epc);
    if (st != PortStatus::Ok)
        return st;
    QByteArray module;
    st = command(uhf::readBank(bank, address, words, passwordBytes(readPassword_)), uhf::kRead, epc, module);
    if (st != PortStatus::Ok)
        return st;
    const auto read = uhf::parseBankRead(module);
    if (!read || read->data.size() != 2 * words)
        return PortStatus::NoAnswer;
    data = read->data;
    return PortStatus::Ok;
}

PortStatus ReaderTagPort::readTid(const FieldTag &tag, QByteArray &tid)
{
    PortStatus st = readWords(tag.epc, uhf::kBankTid, 0, kTidWords, tid);
    if (st == PortStatus::Refused) // a TID shorter than 96 bits overruns the bank
        st = readWords(tag.epc, uhf::kBankTid, 0, kShortTidWords, tid);
    return st;
}

PortStatus ReaderTagPort::writeEpc(const FieldTag &tag, const QByteArray &epc, quint32 password)
{
    if (epc.isEmpty() || epc.size() % 2 || epc.size() > uhf::kMaxEpcBytes)
        return PortStatus::Unsupported;
    const auto crcOf = [this](const QByteArray &e) -> std::optional<QByteArray> {
        for (const Seen &s : seen_)
            if (s.epc == e)
                return s.crc;
        return std::nullopt;
    };
    std::optional<QByteArray> crc = crcOf(tag.epc);
    if (!crc) {
        // Not among the tags the last inventory saw: look once more.
        std::vector<FieldTag> tags;
        const PortStatus st = inventory(tags);
        if (st != PortStatus::Ok)
            return st;
        crc = crcOf(tag.epc);
        if (!crc)
            return PortStatus::NoTag;
    }
    PortStatus st = select(tag.epc);
    if (st != PortStatus::Ok)
        return st;
    QByteArray module;
    st = command(uhf::writeEpc(passwordBytes(password), *crc, epc), uhf::kWrite, tag.epc, module);
    if (st == PortStatus::Ok)
        seen_.clear(); // its EPC and CRC are new: the next call takes them from a new inventory
    return st;
}

PortStatus ReaderTagPort::readEpc(const FieldTag &tag, QByteArray &epc)
{
    // The PC word's top five bits give the EPC's length in words; the inventory's EPC gives the
    // length to read first, and a PC word that says otherwise is read again at its length.
    int words = int(tag.epc.size() / 2);
    for (int pass = 0; pass < 2; ++pass) {
        if (words < 1 || words > uhf::kMaxEpcBytes / 2)
            return PortStatus::NoAnswer;
        QByteArray data;
        const PortStatus st = readWords(tag.epc, uhf::kBankEpc, 1, uint16_t(1 + words), data);
        if (st != PortStatus::Ok)
            return st;
        const int pcWords = uint8_t(data[0]) >> 3;
        if (pcWords == words) {
            epc = data.mid(2);
            return PortStatus::Ok;
        }
        words = pcWords;
    }
    return PortStatus::NoAnswer;
}

} // namespace commission
