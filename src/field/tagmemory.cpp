#include "field/tagmemory.h"

#include "base/errors.h"
#include "base/hex.h"
#include "field/memoryinput.h"
#include "field/modulechannel.h"
#include "protocol/uhf.h"

#include <algorithm>

namespace field
{

namespace uhf = protocol::uhf;
using Status = MemoryResult::Status;

namespace
{

QString accessText(const char *what, int address, int words, uint8_t bank)
{
    return words == 1 ? QStringLiteral("%1 word %2 of the %3 bank").arg(QLatin1String(what)).arg(address).arg(uhf::bankName(bank))
                      : QStringLiteral("%1 words %2 to %3 of the %4 bank")
                            .arg(QLatin1String(what))
                            .arg(address)
                            .arg(address + words - 1)
                            .arg(uhf::bankName(bank));
}

QByteArray wordBytes(int value)
{
    return QByteArray(1, char((value >> 8) & 0xFF)) + char(value & 0xFF);
}

} // namespace

TagMemory::TagMemory(ModuleChannel &channel, TagAddress address, QByteArray password, const std::atomic<bool> *stop)
    : channel_(channel), address_(std::move(address)), password_(std::move(password)), stop_(stop)
{
    if (address_.by == TagAddress::By::Epc)
        expectedEpc_ = address_.id;
}

protocol::Request TagMemory::selectRequest() const
{
    if (selectByTid_)
        return uhf::selectMask(uhf::kBankTid, 0, pinnedTid_.left(uhf::kMaxMaskBytes));
    if (address_.by == TagAddress::By::Tid)
        return uhf::selectMask(uhf::kBankTid, 0, address_.id.left(uhf::kMaxMaskBytes));
    return uhf::select(address_.id);
}

bool TagMemory::sameTag(const QByteArray &pcEpc, Step &step)
{
    const QByteArray epc = pcEpc.mid(2);
    if (epcMayChange_ || !expectedEpc_) {
        expectedEpc_ = epc;
        if (epcMayChange_ && address_.by == TagAddress::By::Epc)
            address_.id = epc; // the tag is found by its new EPC from now on
        epcMayChange_ = false;
        return true;
    }
    if (epc == *expectedEpc_)
        return true;
    step.status = Status::OtherTag;
    step.message = QStringLiteral("a tag other than the one addressed answered (EPC %1, not %2): %3 matches "
                                  "more than one tag; address the tag by its whole TID")
                       .arg(hex::fromBytes(epc), hex::fromBytes(*expectedEpc_), address_.text());
    return false;
}

bool TagMemory::send(const protocol::Request &request, Step &step, QByteArray &frame)
{
    using Kind = ModuleAnswer::Kind;
    const ModuleAnswer answer = channel_.send(request);
    switch (answer.kind) {
    case Kind::Frames:
        break;
    case Kind::NoTag:
        step.status = Status::NoTag;
        step.message = QStringLiteral("no tag answers to %1").arg(address_.text());
        return false;
    case Kind::ReaderGone:
        step.status = Status::ReaderGone;
        step.message = channel_.why();
        return false;
    case Kind::Unsupported:
        step.status = Status::Unsupported;
        step.message = QStringLiteral("the reader does not know the UHF module's commands");
        return false;
    case Kind::NoAnswer:
    case Kind::TooLong:
        step.status = Status::NoAnswer;
        step.message = channel_.why();
        return false;
    }
    frame = *answer.first();
    const auto reply = uhf::parseModule(frame);
    if (reply && reply->isError() && reply->errorCode()) {
        const uint8_t code = *reply->errorCode();
        step.code = code;
        step.message = uhf::moduleErrorMessage(code);
        if (code == uhf::kErrorReadFailed || code == uhf::kErrorWriteFailed || code == uhf::kErrorNoTag) {
            step.status = Status::NoTag;
            step.message += QStringLiteral(": no tag answers to %1 (it left the field, or no tag matches)")
                                .arg(address_.text());
        } else {
            step.status = code == uhf::kErrorInvalidCommand ? Status::Unsupported : Status::Refused;
        }
        return false;
    }
    const uint8_t command = request.bytes.size() > 2 ? uint8_t(request.bytes[2]) : 0;
    if (!reply || reply->command != command) {
        step.status = Status::NoAnswer;
        step.message = QStringLiteral("the module's reply is not the answer to its command (%1)").arg(hex::fromBytes(frame));
        return false;
    }
    return true;
}

TagMemory::Step TagMemory::access(const protocol::Request &request)
{
    Step step;
    QByteArray frame;
    if (!send(selectRequest(), step, frame) || !send(request, step, frame))
        return step;
    const bool isRead = uint8_t(request.bytes[2]) == uhf::kRead;
    std::optional<QByteArray> pcEpc;
    if (isRead) {
        if (const auto read = uhf::parseBankRead(frame)) {
            pcEpc = read->pcEpc;
            step.data = read->data;
        }
    } else {
        pcEpc = uhf::parseWriteReply(frame);
    }
    if (!pcEpc) {
        step.status = Status::NoAnswer;
        step.message = QStringLiteral("the module's reply is damaged (%1)").arg(hex::fromBytes(frame));
        return step;
    }
    if (!sameTag(*pcEpc, step) && !isRead)
        step.message = QStringLiteral("the write reached a tag other than the one addressed (EPC %1)")
                           .arg(hex::fromBytes(pcEpc->mid(2)));
    return step;
}

TagMemory::Step TagMemory::readStep(uint8_t bank, int address, int words)
{
    Step step = access(uhf::readBank(bank, uint16_t(address), uint16_t(words), password_));
    if (step.ok() && step.data.size() != 2 * words) {
        step.status = Status::NoAnswer;
        step.message = QStringLiteral("the reply holds %1 bytes of data, not the %2 words asked for")
                           .arg(step.data.size())
                           .arg(words);
    }
    return step;
}

TagMemory::Step TagMemory::writeStep(uint8_t bank, int address, const QByteArray &data)
{
    return access(uhf::writeBank(bank, uint16_t(address), data, password_));
}

bool TagMemory::isOverrun(const Step &step)
{
    return step.status == Status::Refused && step.code && uhf::isTagError(*step.code) &&
           (*step.code & 0x0F) == uhf::kTagCodeOverrun;
}

MemoryResult TagMemory::failure(const Step &step, const QString &what, int at, QByteArray data) const
{
    MemoryResult r;
    r.status = step.status;
    r.moduleCode = step.code;
    r.failedAt = at;
    r.data = std::move(data);
    r.epc = expectedEpc_.value_or(QByteArray());
    r.message = what.isEmpty() ? step.message : QStringLiteral("%1: %2").arg(what, step.message);
    return r;
}

MemoryResult TagMemory::read(uint8_t bank, int address, int words)
{
    checkRead(bank, address, words);
    MemoryResult r;
    for (int done = 0; done < words;) {
        const int n = std::min(kReadChunkWords, words - done);
        if (stopped()) {
            r.status = Status::Stopped;
            r.failedAt = address + done;
            r.message = QStringLiteral("stopped");
            return r;
        }
        const Step step = readStep(bank, address + done, n);
        if (!step.ok())
            return failure(step, accessText("reading", address + done, n, bank), address + done, r.data);
        r.data += step.data;
        done += n;
    }
    r.epc = expectedEpc_.value_or(QByteArray());
    return r;
}

MemoryResult TagMemory::readToEnd(uint8_t bank, int address)
{
    checkRead(bank, address, std::nullopt);
    MemoryResult r;
    for (int at = address;;) {
        if (stopped()) {
            r.status = Status::Stopped;
            r.failedAt = at;
            r.message = QStringLiteral("stopped");
            return r;
        }
        const int n = std::min(kReadChunkWords, kMaxWordAddress + 1 - at);
        if (n <= 0)
            break;
        const Step step = readStep(bank, at, n);
        if (step.ok()) {
            r.data += step.data;
            at += n;
            continue;
        }
        if (!isOverrun(step))
            return failure(step, accessText("reading", at, n, bank), at, r.data);
        // The bank ends inside this chunk: the longest run that reads is what is left of it.
        int readable = 0, refused = n;
        QByteArray tail;
        while (refused - readable > 1) {
            const int mid = (readable + refused) / 2;
            const Step probe = readStep(bank, at, mid);
            if (probe.ok()) {
                readable = mid;
                tail = probe.data;
            } else if (isOverrun(probe)) {
                refused = mid;
            } else {
                return failure(probe, accessText("reading", at, mid, bank), at, r.data);
            }
        }
        r.data += tail;
        if (r.data.isEmpty() && address > 0)
            return failure(step, accessText("reading", address, 1, bank), address);
        break;
    }
    r.epc = expectedEpc_.value_or(QByteArray());
    return r;
}

MemoryResult TagMemory::readTid()
{
    MemoryResult r = read(uhf::kBankTid, 0, kTidWords);
    if (r.status == Status::Refused && r.moduleCode && uhf::isTagError(*r.moduleCode) &&
        (*r.moduleCode & 0x0F) == uhf::kTagCodeOverrun)
        r = read(uhf::kBankTid, 0, kShortTidWords);
    return r;
}

MemoryResult TagMemory::pin()
{
    MemoryResult ok;
    if (!pinnedTid_.isEmpty())
        return ok;
    // The TID through the address's select names the tag every write goes to.
    const bool longTidGiven = address_.by == TagAddress::By::Tid && address_.id.size() > 2 * kTidWords;
    MemoryResult tid = longTidGiven ? read(uhf::kBankTid, 0, int(address_.id.size() + 1) / 2) : readTid();
    if (!tid.ok()) {
        tid.message = QStringLiteral("before writing, the TID that names the tag: ") + tid.message;
        return tid;
    }
    MemoryResult refused;
    refused.status = Status::NotUnique;
    refused.epc = tid.epc;
    if (address_.by == TagAddress::By::Tid && tid.data.size() > address_.id.size()) {
        refused.message = QStringLiteral("the TID given is %1 bytes of this tag's %2-byte TID %3: other tags may "
                                         "start the same, so a write needs the whole TID")
                              .arg(address_.id.size())
                              .arg(tid.data.size())
                              .arg(hex::fromBytes(tid.data));
        return refused;
    }
    pinnedTid_ = tid.data;
    if (pinnedTid_.size() < 2 * kTidWords) {
        // No serial number: other tags of the chip's model share it.
        if (address_.by == TagAddress::By::Epc)
            return ok;
        refused.message = QStringLiteral("this tag's TID %1 holds no serial number, so other tags of its chip model "
                                         "share it: address the tag by its EPC")
                              .arg(hex::fromBytes(pinnedTid_));
        return refused;
    }
    // From now on the select is the whole TID; one read through it confirms that the tag which
    // answers is the one whose TID was read.
    selectByTid_ = true;
    const Step confirm = readStep(uhf::kBankTid, 0, 1);
    if (!confirm.ok())
        return failure(confirm, QStringLiteral("before writing, confirming the tag by its TID"), 0);
    return ok;
}

MemoryResult TagMemory::write(uint8_t bank, int address, const QByteArray &data, bool verify)
{
    checkWrite(bank, address, data);
    MemoryResult pinned = pin();
    if (!pinned.ok())
        return pinned;
    if (bank == uhf::kBankEpc && !selectByTid_) {
        MemoryResult refused;
        refused.status = Status::NotUnique;
        refused.message = QStringLiteral("this tag's TID %1 holds no serial number: its EPC bank, which changes the "
                                         "EPC it is found by, is written only to a tag its TID names")
                              .arg(hex::fromBytes(pinnedTid_));
        return refused;
    }
    const int words = int(data.size() / 2);
    // Words written past the EPC's end make it longer: the PC word says so once they are in.
    QByteArray newPc;
    if (bank == uhf::kBankEpc && address >= kEpcWord) {
        const Step pc = readStep(uhf::kBankEpc, kPcWord, 1);
        if (!pc.ok())
            return failure(pc, accessText("reading", kPcWord, 1, bank), kPcWord);
        const int pcWord = (uint8_t(pc.data[0]) << 8) | uint8_t(pc.data[1]);
        const int epcWords = address + words - kEpcWord;
        if (epcWords > pcWord >> kPcLengthShift)
            newPc = wordBytes((epcWords << kPcLengthShift) | (pcWord & ((1 << kPcLengthShift) - 1)));
    }
    // A bank that ends before the last word refuses it before anything is written.
    const int last = address + words - 1;
    if (const Step end = readStep(bank, last, 1); !end.ok())
        return failure(end, accessText("before writing, reading the last", last, 1, bank), last);
    MemoryResult r;
    const auto writeRun = [&](int at, const QByteArray &run) -> bool {
        for (int done = 0; done < run.size() / 2;) {
            const int n = std::min<int>(kWriteChunkWords, int(run.size() / 2) - done);
            const QByteArray chunk = run.mid(2 * done, 2 * n);
            if (stopped()) {
                r.status = Status::Stopped;
                r.failedAt = at + done;
                r.message = QStringLiteral("stopped before writing word %1").arg(at + done);
                return false;
            }
            const Step w = writeStep(bank, at + done, chunk);
            if (bank == uhf::kBankEpc)
                epcMayChange_ = true;
            if (!w.ok()) {
                r = failure(w, accessText("writing", at + done, n, bank), at + done);
                return false;
            }
            if (verify) {
                const Step back = readStep(bank, at + done, n);
                if (!back.ok()) {
                    r = failure(back, accessText("reading back", at + done, n, bank), at + done);
                    return false;
                }
                for (int k = 0; k < n; ++k) {
                    if (back.data.mid(2 * k, 2) == chunk.mid(2 * k, 2))
                        continue;
                    r.status = Status::Differs;
                    r.failedAt = at + done + k;
                    r.message = QStringLiteral("read back differs at word %1 of the %2 bank: written %3, the tag "
                                               "holds %4")
                                    .arg(at + done + k)
                                    .arg(uhf::bankName(bank))
                                    .arg(hex::fromBytes(chunk.mid(2 * k, 2)), hex::fromBytes(back.data.mid(2 * k, 2)));
                    return false;
                }
            }
            done += n;
        }
        return true;
    };
    if (!writeRun(address, data))
        return r;
    if (!newPc.isEmpty()) {
        if (!writeRun(kPcWord, newPc))
            return r;
        r.pc = newPc;
    }
    r.epc = expectedEpc_.value_or(QByteArray());
    return r;
}

MemoryResult TagMemory::writeEpc(const QByteArray &epc, bool verify)
{
    if (epc.size() > uhf::kMaxEpcBytes || epc.size() % 2 != 0)
        throw UserError(QStringLiteral("The EPC must be whole 2-byte words, at most %1 bytes, not %2 bytes.")
                            .arg(uhf::kMaxEpcBytes)
                            .arg(epc.size()));
    MemoryResult pinned = pin();
    if (!pinned.ok())
        return pinned;
    const Step pc = readStep(uhf::kBankEpc, kPcWord, 1);
    if (!pc.ok())
        return failure(pc, accessText("reading", kPcWord, 1, uhf::kBankEpc), kPcWord);
    const int pcWord = (uint8_t(pc.data[0]) << 8) | uint8_t(pc.data[1]);
    const int words = int(epc.size() / 2);
    return write(uhf::kBankEpc, kPcWord,
                 wordBytes((words << kPcLengthShift) | (pcWord & ((1 << kPcLengthShift) - 1))) + epc, verify);
}

} // namespace field
