#pragma once

#include "field/tagaddress.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>

namespace protocol
{
struct Request;
}

namespace field
{

class ModuleChannel;

// How an access to a tag's memory went.
struct MemoryResult {
    enum class Status {
        Ok,
        Refused,     // the tag or module refused: moduleCode says why (no such memory, locked, wrong password)
        NoTag,       // no tag answered to the address: it left the field, or no tag matches
        OtherTag,    // a tag other than the addressed one answered; nothing more was sent
        NotUnique,   // the address may name more than this tag: nothing was written
        Differs,     // a word read back is not the word written (failedAt)
        NoAnswer,    // the reader or module did not answer, or answered damaged
        ReaderGone,  // the reader cannot be reached
        Unsupported, // the reader or module does not know the command
        Stopped,     // the stop flag was raised between two chunks
    };
    Status status = Status::Ok;
    QByteArray data;   // the words read; on a failure, those read before it
    int failedAt = -1; // the word address a failure or difference concerns
    std::optional<uint8_t> moduleCode;
    QByteArray pc;   // a write: the PC word written because the EPC's length changed (empty: none)
    QByteArray epc;  // the EPC of the tag that answered, as its replies show it
    QString message; // what went wrong, in words; empty when Ok
    bool ok() const { return status == Status::Ok; }
};

// One tag's memory, each access made to that tag only. Every access selects by the address
// first (the module then reaches the first tag that matches) and checks the PC and EPC that
// the reply names: a tag with a longer EPC that starts with the one addressed, or another tag
// of a TID prefix, is found out and nothing more is sent.
//
// Before the first write the tag is pinned: its TID is read through the address's select, the
// select is made on that whole TID from then on (a TID with its serial number is the tag's
// own; the EPC is not, and writing the EPC bank changes it), and one read through that select
// confirms that the tag which answers still shows the EPC seen before. A write is refused,
// with nothing written, when the TID cannot name one tag: a TID given by its start only, or a
// chip whose TID holds no serial number (then only the EPC bank is refused: other banks are
// written through the EPC's select, each reply checked).
//
// Reads and writes go in chunks (a reply holds about 108 words at most); each written chunk
// is read back and compared unless verification is off. Input that needs no tag to be found
// wrong (see memoryinput.h) throws UserError before anything is sent.
class TagMemory
{
public:
    static constexpr int kReadChunkWords = 32;
    static constexpr int kWriteChunkWords = 16;
    // The TID's 96 bits: class, maker, model and the chip's serial number; the short form
    // (class, maker and model) where the chip has no more.
    static constexpr int kTidWords = 6;
    static constexpr int kShortTidWords = 2;

    // password: the access password every access carries (4 bytes; zeros when the tag has none).
    // stop: raised by another thread or a signal handler's notifier; tested between chunks.
    TagMemory(ModuleChannel &channel, TagAddress address, QByteArray password = QByteArray(4, '\0'),
              const std::atomic<bool> *stop = nullptr);

    const TagAddress &address() const { return address_; }

    // Words [address, address + words) of a bank.
    MemoryResult read(uint8_t bank, int address, int words);
    // From address to the bank's end, found by reading until the tag says memory overrun: the
    // size of user memory (none is a bank of 0 words). Nothing at address past the end is
    // refused with the tag's code.
    MemoryResult readToEnd(uint8_t bank, int address = 0);
    // The TID's first kTidWords words, or its kShortTidWords where the chip has no more.
    MemoryResult readTid();
    // Writes data (whole words) from address. The EPC bank keeps its PC word right: a write that
    // runs past the EPC's end writes the PC word with the new length after it (other PC bits
    // kept); a write from word 1 carries its own PC word.
    MemoryResult write(uint8_t bank, int address, const QByteArray &data, bool verify = true);
    // A new EPC: the PC word with the EPC's length (other bits kept) and the EPC from word 1.
    MemoryResult writeEpc(const QByteArray &epc, bool verify = true);

    // The TID the tag was pinned by before a write; empty before.
    const QByteArray &pinnedTid() const { return pinnedTid_; }

private:
    // One select and one access, the reply judged and its tag checked.
    struct Step {
        MemoryResult::Status status = MemoryResult::Status::Ok;
        QByteArray data;
        std::optional<uint8_t> code;
        QString message;
        bool ok() const { return status == MemoryResult::Status::Ok; }
    };
    Step access(const protocol::Request &request);
    // Sends one module command; false with step filled when its reply is not its answer.
    bool send(const protocol::Request &request, Step &step, QByteArray &frame);
    Step readStep(uint8_t bank, int address, int words);
    Step writeStep(uint8_t bank, int address, const QByteArray &data);
    // Whether the tag's reply names the addressed tag; adopts its EPC where that may change.
    bool sameTag(const QByteArray &pcEpc, Step &step);
    protocol::Request selectRequest() const;
    MemoryResult pin();
    bool stopped() const { return stop_ && stop_->load(); }
    // A failed step as the result, where it happened added to its message.
    MemoryResult failure(const Step &step, const QString &what, int at, QByteArray data = {}) const;
    static bool isOverrun(const Step &step);

    ModuleChannel &channel_;
    TagAddress address_;
    QByteArray password_;
    const std::atomic<bool> *stop_;
    std::optional<QByteArray> expectedEpc_; // the EPC every reply must name
    bool epcMayChange_ = false;             // the EPC bank was written: the next reply gives the EPC
    QByteArray pinnedTid_;
    bool selectByTid_ = false; // selects go by pinnedTid_
};

} // namespace field
