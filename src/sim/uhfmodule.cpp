#include "sim/uhfmodule.h"

#include "sim/simcommand.h"

#include <QRandomGenerator>
#include <csignal>

namespace
{

// RFID_SIM_KILL_AFTER_WRITES=N: the process dies by SIGKILL right after the Nth EPC a tag took,
// before the reply leaves: a power cut between a write and its journal row, on demand.
void killAfterWrites()
{
    static const int limit = qEnvironmentVariableIntValue("RFID_SIM_KILL_AFTER_WRITES");
    static int writes = 0;
    if (limit > 0 && ++writes == limit)
        std::raise(SIGKILL);
}

int word16(const QByteArray &b, int at)
{
    return (uint8_t(b[at]) << 8) | uint8_t(b[at + 1]);
}

} // namespace

UhfModule::UhfModule(QObject *parent)
    : QObject(parent), tidLot_(uint16_t(QRandomGenerator::global()->bounded(1, 0x10000)))
{
    tag_ = nextBlank();
}

QByteArray UhfModule::frame(uint8_t type, uint8_t command, const QByteArray &params)
{
    QByteArray f;
    f.append(char(0xBB));
    f.append(char(type));
    f.append(char(command));
    f.append(char(params.size() >> 8));
    f.append(char(params.size() & 0xFF));
    f.append(params);
    unsigned sum = 0;
    for (int i = 1; i < f.size(); ++i)
        sum += uint8_t(f[i]);
    f.append(char(sum & 0xFF));
    f.append(char(0x7E));
    return f;
}

QByteArray UhfModule::process(const QByteArray &f)
{
    if (f.isEmpty() || uint8_t(f[0]) != 0xBB)
        return {};
    if (f.size() < 7)
        return errorFrame(kBadCommand);
    const int pl = word16(f, 3);
    if (f.size() != pl + 7 || uint8_t(f[f.size() - 1]) != 0x7E || f[1] != 0)
        return errorFrame(kBadCommand);
    unsigned sum = 0;
    for (int i = 1; i < 5 + pl; ++i)
        sum += uint8_t(f[i]);
    if (uint8_t(f[5 + pl]) != (sum & 0xFF))
        return errorFrame(kBadCommand);

    const uint8_t command = uint8_t(f[2]);
    const QByteArray params = f.mid(5, pl);
    switch (command) {
    case 0x22:
        return params.isEmpty() ? inventory() : errorFrame(kBadCommand);
    case 0x0C:
        return select(params);
    case 0x49:
        return write(params);
    case 0x39:
        return readMemory(params);
    case 0xC1:
    case 0xC2:
    case 0xC9:
        return workModeCommand(command, params);
    default:
        return errorFrame(kBadCommand);
    }
}

QByteArray UhfModule::inventory()
{
    if (field_)
        return fieldInventory();
    const bool layAfter = actOnCue();
    // One frame for each tag heard in the round, all in one answer.
    QByteArray reply;
    const QByteArray rssi(1, char(0xC8));
    for (const std::optional<UhfTag> *t : {&tag_, &second_})
        if (*t)
            reply += frame(0x02, 0x22, rssi + (*t)->pc() + (*t)->epc() + (*t)->crc());
    if (reply.isEmpty())
        reply = errorFrame(kNoTag);
    if (layAfter)
        layTag();
    return reply;
}

QByteArray UhfModule::fieldInventory()
{
    const int64_t ms = fieldClock_ ? fieldClock_() : fieldTimer_.elapsed();
    QByteArray reply;
    for (const int index : field_->roundWinners()) {
        const UhfTag &t = field_->tag(index);
        const QByteArray f =
            frame(0x02, 0x22, QByteArray(1, char(field_->rssi(index, ms))) + t.pc() + t.epc() + t.crc());
        // The reader's reply area ends the round: the tags behind wait for the next one.
        if (reply.size() + f.size() > kMaxReplyData)
            break;
        reply += f;
        field_->markAnswered(index);
    }
    return reply.isEmpty() ? errorFrame(kNoTag) : reply;
}

void UhfModule::fillField(int count, uint32_t seed)
{
    field_.emplace(count, seed);
    fieldTimer_.start();
    ++fieldRevision_;
    emit fieldFilled();
    emit changed();
}

bool UhfModule::restoreField(const std::vector<UhfField::WrittenMemory> &written)
{
    bool all = true;
    for (const UhfField::WrittenMemory &m : written)
        all = field_ && field_->restore(m) && all;
    emit changed();
    return all;
}

void UhfModule::leaveField()
{
    field_.reset();
    ++fieldRevision_;
    emit changed();
}

void UhfModule::setFieldClock(std::function<int64_t()> msSinceFill)
{
    fieldClock_ = std::move(msSinceFill);
}

QByteArray UhfModule::refusalFrame(UhfTag::Refusal refusal, const UhfTag &tag)
{
    if (refusal == UhfTag::Refusal::AccessFailed)
        return errorFrame(kWrongPassword);
    const QByteArray id = tag.pc() + tag.epc();
    const char code = char(refusal == UhfTag::Refusal::Locked ? kMemoryLocked : kMemoryOverrun);
    return frame(0x01, 0xFF, QByteArray(1, code) + char(id.size()) + id);
}

bool UhfModule::actOnCue()
{
    if (!pendingCue_)
        return false;
    const OperatorCue cue = *pendingCue_;
    pendingCue_.reset();
    switch (cue) {
    case OperatorCue::Remove:
        tag_.reset();
        second_.reset();
        emit changed();
        return true;
    case OperatorCue::LeaveOne:
        if (!tag_)
            tag_ = second_;
        second_.reset();
        emit changed();
        return false;
    case OperatorCue::Place:
        if (!tag_ && !second_) {
            layTag();
            emit changed();
        }
        return false;
    }
    return false;
}

QByteArray UhfModule::select(const QByteArray &params)
{
    // SelParam, pointer (4), mask length in bits, truncate, mask.
    if (params.size() < 7)
        return errorFrame(kBadCommand);
    const int bits = uint8_t(params[5]);
    const int maskBytes = (bits + 7) / 8;
    if (params.size() != 7 + maskBytes)
        return errorFrame(kBadCommand);
    // SelParam's low two bits name the bank; the pointer counts bits from the bank's start.
    selectBank_ = uint8_t(params[0]) & 0x03;
    selectPointerBits_ = (uint32_t(uint8_t(params[1])) << 24) | (uint32_t(uint8_t(params[2])) << 16) |
                         (uint32_t(uint8_t(params[3])) << 8) | uint8_t(params[4]);
    selectMask_ = params.mid(7, maskBytes);
    selectBits_ = bits;
    return frame(0x01, 0x0C, QByteArray(1, '\0'));
}

UhfTag *UhfModule::selectedTag()
{
    if (field_) {
        for (int i = 0; i < field_->size(); ++i)
            if (matchesSelect(field_->tag(i)))
                return &field_->tag(i);
        return nullptr;
    }
    for (std::optional<UhfTag> *t : {&tag_, &second_})
        if (*t && matchesSelect(**t))
            return &**t;
    return nullptr;
}

bool UhfModule::matchesSelect(const UhfTag &tag) const
{
    if (selectBits_ == 0)
        return true;
    // Bank 00 names no memory a select can compare.
    const QByteArray *memory = selectBank_ == 0 ? nullptr : tag.bank(selectBank_);
    if (!memory)
        return false;
    for (int bit = 0; bit < selectBits_; ++bit) {
        const int64_t at = int64_t(selectPointerBits_) + bit;
        if (at / 8 >= memory->size())
            return false;
        const bool tagBit = uint8_t(memory->at(at / 8)) & (0x80 >> (at % 8));
        const bool maskBit = uint8_t(selectMask_[bit / 8]) & (0x80 >> (bit % 8));
        if (tagBit != maskBit)
            return false;
    }
    return true;
}

QByteArray UhfModule::write(const QByteArray &params)
{
    // Access password (4), bank, start word (2), word count (2), data.
    if (params.size() < 9)
        return errorFrame(kBadCommand);
    const int bankNo = uint8_t(params[4]);
    const int start = word16(params, 5);
    const int words = word16(params, 7);
    if (words == 0 || params.size() != 9 + 2 * words)
        return errorFrame(kBadCommand);
    UhfTag *target = selectedTag();
    if (!target)
        return errorFrame(kWriteFailed);
    UhfTag &tag = *target;
    const bool first = !field_ && tag_ && target == &*tag_;
    if (const UhfTag::Refusal r = tag.refusesWrite(bankNo, start, words, params.left(4)); r != UhfTag::Refusal::None)
        return refusalFrame(r, tag);
    if (bankNo == 1 && tag.leavesOnWrite) {
        (first ? tag_ : second_).reset();
        emit changed();
        return errorFrame(kWriteFailed);
    }

    const QByteArray before = tag.pc() + tag.epc();
    QByteArray *bank = tag.bank(bankNo);
    bank->replace(start * 2, words * 2, params.mid(9));
    if (bankNo == 1) {
        if (tag.keepsOtherValue && !tag.epc().isEmpty()) {
            const int last = 4 + int(tag.epc().size()) - 1;
            bank->data()[last] = char(bank->at(last) ^ 0x01);
        }
        tag.updateCrc(); // a tag never keeps a CRC that was written to it
        tagLog_.append(QString::fromLatin1(tag.epc().toHex().toUpper()));
        killAfterWrites();
        if (!blanks_.empty() && first) {
            // The written tag leaves the field and the next blank one takes its place.
            place(blanks_.front());
            blanks_.pop_front();
        }
    }
    if (field_)
        ++fieldRevision_;
    emit changed();
    return frame(0x01, 0x49, QByteArray(1, char(before.size())) + before + QByteArray(1, '\0'));
}

QByteArray UhfModule::readMemory(const QByteArray &params)
{
    // Access password (4), bank, start word (2), word count (2).
    if (params.size() != 9)
        return errorFrame(kBadCommand);
    UhfTag *target = selectedTag();
    if (!target)
        return errorFrame(kReadFailed);
    const UhfTag &tag = *target;
    const int bankNo = uint8_t(params[4]);
    const int start = word16(params, 5);
    const int words = word16(params, 7);
    if (const UhfTag::Refusal r = tag.refusesRead(bankNo, start, words, params.left(4)); r != UhfTag::Refusal::None)
        return refusalFrame(r, tag);
    const QByteArray id = tag.pc() + tag.epc();
    return frame(0x01, 0x39, QByteArray(1, char(id.size())) + id + tag.bank(bankNo)->mid(start * 2, words * 2));
}

QByteArray UhfModule::workModeCommand(uint8_t command, const QByteArray &params)
{
    if (command == 0xC9) {
        // Sector, password (4), start address, length.
        if (params.size() != 7 || uint8_t(params[0]) > 3 || params[6] == 0)
            return errorFrame(kBadCommand);
        memorySector_ = params;
        workMode_ = 0x03;
        emit changed();
        return frame(0x01, command, QByteArray(1, char(0x03)));
    }
    if (params.size() != 1)
        return errorFrame(kBadCommand);
    const uint8_t value = uint8_t(params[0]);
    if (command == 0xC1) {
        if (value > 0x03)
            return errorFrame(kBadCommand);
        workMode_ = value;
        memorySector_.clear();
    } else {
        if (value > 0x01)
            return errorFrame(kBadCommand);
        usbMode_ = value;
    }
    emit changed();
    return frame(0x01, command, QByteArray(1, char(value)));
}

UhfTag UhfModule::nextBlank()
{
    UhfTag tag = UhfTag::blank(nextSerial_++);
    tag.tid[6] = char(tidLot_ >> 8);
    tag.tid[7] = char(tidLot_ & 0xFF);
    return tag;
}

void UhfModule::place(const UhfTag &tag)
{
    tag_ = tag;
    const TagFault fault = armedFault_;
    armedFault_ = TagFault::None;
    switch (fault) {
    case TagFault::None:
        break;
    case TagFault::Locked:
        tag_->epcLocked = true;
        break;
    case TagFault::OtherValue:
        tag_->keepsOtherValue = true;
        break;
    case TagFault::LeavesOnWrite:
        tag_->leavesOnWrite = true;
        break;
    case TagFault::SecondTag:
        second_ = nextBlank();
        break;
    }
}

void UhfModule::layTag()
{
    second_.reset();
    place(nextBlank());
}

void UhfModule::armTagFault(TagFault fault)
{
    armedFault_ = fault;
    emit changed();
}

QString UhfModule::tagFaultText(TagFault fault)
{
    switch (fault) {
    case TagFault::None:
        return QStringLiteral("a good tag");
    case TagFault::Locked:
        return QStringLiteral("a locked tag (refuses the write)");
    case TagFault::OtherValue:
        return QStringLiteral("a tag that keeps another value");
    case TagFault::LeavesOnWrite:
        return QStringLiteral("a tag pulled away during the write");
    case TagFault::SecondTag:
        return QStringLiteral("two tags at once");
    }
    return {};
}

void UhfModule::operatorCue(OperatorCue cue)
{
    if (followsCues_)
        pendingCue_ = cue;
}

void UhfModule::setFollowsCues(bool on)
{
    followsCues_ = on;
    if (!on)
        pendingCue_.reset();
    emit changed();
}

void UhfModule::setTag(const UhfTag &tag)
{
    tag_ = tag;
    emit changed();
}

void UhfModule::layBlankTag()
{
    layTag();
    emit changed();
}

void UhfModule::takeTagAway()
{
    tag_.reset();
    second_.reset();
    emit changed();
}

void UhfModule::queueBlankTags(int count)
{
    for (int i = 0; i < count; ++i)
        blanks_.push_back(nextBlank());
    emit changed();
}

void UhfModule::clearQueue()
{
    blanks_.clear();
    emit changed();
}
