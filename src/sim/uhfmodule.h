#pragma once

#include "sim/uhffield.h"
#include "sim/uhftag.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

// The UHF module of the simulated reader and its field: one tag (two when a trainer arms it),
// a queue of blank tags laid one after another, the person who feeds a batch, and the
// module's work mode; or, once filled, a field of many tags. It answers module frames
// (BB type cmd PL_HI PL_LO params checksum 7E), whether they come through the USB reader's
// pass-through command or over the serial line.
class UhfModule : public QObject
{
    Q_OBJECT
public:
    // Module error codes (byte 5 of an error frame BB 01 FF 00 01 code ...).
    static constexpr uint8_t kReadFailed = 0x09;
    static constexpr uint8_t kWriteFailed = 0x10;
    static constexpr uint8_t kNoTag = 0x15;
    static constexpr uint8_t kWrongPassword = 0x16;
    static constexpr uint8_t kBadCommand = 0x17;
    static constexpr uint8_t kMemoryOverrun = 0xA3;
    static constexpr uint8_t kMemoryLocked = 0xA4;

    explicit UhfModule(QObject *parent = nullptr);

    // The module's answer to one frame; empty when it gives none (not a module frame at all).
    QByteArray process(const QByteArray &frame);

    // A module frame around command and parameters, checksum and end mark included.
    static QByteArray frame(uint8_t type, uint8_t command, const QByteArray &params);
    static QByteArray errorFrame(uint8_t code) { return frame(0x01, 0xFF, QByteArray(1, char(code))); }

    // Field state.
    const std::optional<UhfTag> &tag() const { return tag_; }
    void setTag(const UhfTag &tag);
    void layBlankTag();
    void takeTagAway();
    // Blank tags that replace the tag in the field after each successful EPC write.
    void queueBlankTags(int count);
    int queuedBlankTags() const { return int(blanks_.size()); }
    void clearQueue();

    // Many tags in place of the one tag: each inventory answers the tags that won a slot in
    // that round, as many as the reader's reply area holds; select, read and write reach the
    // first tag the last select matches. count from 0 to UhfField::kMaxTags.
    void fillField(int count, uint32_t seed = UhfField::kDefaultSeed);
    // Back to the one tag.
    void leaveField();
    const UhfField *field() const { return field_ ? &*field_ : nullptr; }
    // Puts memory written in an earlier run back into the field's tags (not counted as a
    // change); false when a piece does not fit the field.
    bool restoreField(const std::vector<UhfField::WrittenMemory> &written);
    // Counts the changes of the field's tags (filled, written), not those of their signal.
    int fieldRevision() const { return fieldRevision_; }
    // The clock the tags move by, in ms since the field was filled; the default is the
    // monotonic time since then.
    void setFieldClock(std::function<int64_t()> msSinceFill);

    // Every EPC written, in order, as upper-case hex.
    const QStringList &tagLog() const { return tagLog_; }
    void clearTagLog() { tagLog_.clear(); }

    // What goes wrong with the next tag laid in the field (by layBlankTag, the queue after a
    // write, or the person following a batch): armed once, taken by one tag.
    enum class TagFault {
        None,
        Locked,        // its EPC bank refuses writes (memory locked)
        OtherValue,    // it stores another value than the one sent, and says it wrote
        LeavesOnWrite, // it is pulled out of the field during the write
        SecondTag,     // another blank tag lies beside it
    };
    void armTagFault(TagFault fault);
    TagFault armedTagFault() const { return armedFault_; }
    static QString tagFaultText(TagFault fault);

    // The tag beside the first one, when the fault SecondTag laid one.
    const std::optional<UhfTag> &secondTag() const { return second_; }

    // The person at the reader during a batch, who does what the commissioning job cues. A cue
    // is carried out at the next inventory, before it is answered, as a person acts between
    // two polls: Remove takes every tag away, and a fresh blank tag (a TID never seen before)
    // is laid once that inventory is answered, so the job sees the field empty and then the
    // next tag; LeaveOne takes the second tag away; Place lays a blank tag if the field is
    // empty. Ignored while followsCues() is off (the trainer then lays and takes tags by hand).
    enum class OperatorCue { Remove, LeaveOne, Place };
    void operatorCue(OperatorCue cue);
    bool followsCues() const { return followsCues_; }
    void setFollowsCues(bool on);

    // Work mode as the last C1 / C2 / C9 frame set it.
    uint8_t workMode() const { return workMode_; }
    uint8_t usbMode() const { return usbMode_; }
    const QByteArray &memorySector() const { return memorySector_; }

signals:
    void changed();
    // The field was filled anew (fillField), before changed().
    void fieldFilled();

private:
    QByteArray inventory();
    QByteArray fieldInventory();
    // The error frame of a tag's refusal; memory errors carry the tag's PC and EPC.
    static QByteArray refusalFrame(UhfTag::Refusal refusal, const UhfTag &tag);
    QByteArray select(const QByteArray &params);
    QByteArray write(const QByteArray &params);
    QByteArray readMemory(const QByteArray &params);
    QByteArray workModeCommand(uint8_t command, const QByteArray &params);
    // The tag in the field the last select matches: the first, else the second; null for none.
    UhfTag *selectedTag();
    bool matchesSelect(const UhfTag &tag) const;
    UhfTag nextBlank();
    // Puts tag in the field as the first one, with the armed fault.
    void place(const UhfTag &tag);
    // Lays a blank tag with the armed fault in place of every tag in the field.
    void layTag();
    // Carries out the person's pending cue before an inventory; true when a blank tag is to be
    // laid after it.
    bool actOnCue();

    std::optional<UhfTag> tag_;
    std::optional<UhfTag> second_;
    TagFault armedFault_ = TagFault::None;
    std::optional<OperatorCue> pendingCue_;
    bool followsCues_ = true;
    uint16_t tidLot_; // in every TID of this run, so that TIDs of separate runs differ
    std::deque<UhfTag> blanks_;
    QStringList tagLog_;
    std::optional<UhfField> field_;
    int fieldRevision_ = 0;
    QElapsedTimer fieldTimer_;
    std::function<int64_t()> fieldClock_;
    // The last select: bank, first bit, mask and its length in bits (0 matches every tag).
    int selectBank_ = 1;
    uint32_t selectPointerBits_ = 0x20;
    QByteArray selectMask_;
    int selectBits_ = 0;
    uint32_t nextSerial_ = 1;
    uint8_t workMode_ = 0x01;
    uint8_t usbMode_ = 0x00;
    QByteArray memorySector_;
};
