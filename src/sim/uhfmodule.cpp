#include "sim/uhfmodule.h"

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
    selectMask_ = params.mid(7, maskBytes);
    selectBits_ = bits;
    return frame(0x01, 0x0C, QByteArray(1, '\0'));
}

UhfTag *UhfModule::selectedTag()
{
    for (std::optional<UhfTag> *t : {&tag_, &second_})
        if (*t && matchesSelect(**t))
            return &**t;
    return nullptr;
}

bool UhfModule::matchesSelect(const UhfTag &tag) const
{
    const QByteArray epc = tag.epc();
    for (int bit = 0; bit < selectBits_; ++bit) {
        const int byte = bit / 8;
        if (byte >= epc.size())
            return false;
        const int mask = 0x80 >> (bit % 8);
        if ((uint8_t(epc[byte]) & mask) != (uint8_t(selectMask_[byte]) & mask))
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
    const bool first = tag_ && target == &*tag_;
    const QByteArray password = params.left(4);
    if (tag.accessPassword() != QByteArray(4, '\0') && password != tag.accessPassword())
        return errorFrame(kWrongPassword);
    QByteArray *bank = tag.bank(bankNo);
    if (!bank || (start + words) * 2 > bank->size())
        return errorFrame(kMemoryOverrun);
    if (bankNo == 2)
        return errorFrame(kMemoryLocked);

    if (bankNo == 1 && tag.epcLocked)
        return errorFrame(kMemoryLocked);
    if (bankNo == 1 && tag.leavesOnWrite) {
        (first ? tag_ : second_).reset();
        emit changed();
        return errorFrame(kWriteFailed);
    }

    const QByteArray before = tag.pc() + tag.epc();
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
    emit changed();
    return frame(0x01, 0x49, QByteArray(1, char(before.size())) + before + QByteArray(1, '\0'));
}

QByteArray UhfModule::readMemory(const QByteArray &params)
{
    if (params.size() != 9)
        return errorFrame(kBadCommand);
    UhfTag *target = selectedTag();
    if (!target)
        return errorFrame(kReadFailed);
    UhfTag &tag = *target;
    const QByteArray password = params.left(4);
    if (tag.accessPassword() != QByteArray(4, '\0') && password != tag.accessPassword())
        return errorFrame(kWrongPassword);
    const int start = word16(params, 5);
    const int words = word16(params, 7);
    const QByteArray *bank = tag.bank(uint8_t(params[4]));
    if (!bank || words == 0 || (start + words) * 2 > bank->size())
        return errorFrame(kMemoryOverrun);
    const QByteArray id = tag.pc() + tag.epc();
    return frame(0x01, 0x39, QByteArray(1, char(id.size())) + id + bank->mid(start * 2, words * 2));
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
