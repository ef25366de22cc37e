#pragma once

#include "epc/tagport.h"
#include "protocol/exchange.h"
#include "protocol/request.h"

#include <QByteArray>
#include <optional>
#include <vector>

class ExchangePort;

namespace commission
{

// The UHF module behind the reader's pass-through command as the commissioning job's tag port.
// Every call is a few module exchanges through an exchange port: on a job's thread each one
// blocks until the link's thread has its answer.
//
//   inventory   one inventory command. The module answers one frame per tag it heard in the
//               round, all in one reply; an error frame "no tag" when none answered. Two or
//               more frames are several tags (also two tags with the same EPC). Bytes behind
//               the last whole frame (a reply cut by the reader's reply area) count as one
//               more tag when a tag frame came before them, else as a damaged reply.
//   readTid     select by EPC, read 6 words of the TID bank (2 where the tag's TID is shorter).
//   writeEpc    select by EPC, write CRC word (the one the inventory showed), PC word for the
//               new length and the EPC from word 0 of the EPC bank, with the access password.
//   readEpc     select by EPC, read the PC word and the EPC words behind it.
//
// What comes back, as statuses (each exchange's outcome first, then the module's frames):
//   no reply within the wait, a reply whose frame or module frames do not check, the
//   reader's "module did not answer", another command inside the wait    NoAnswer
//   the frame could not be written (no reader) or the reader went away   ReaderGone
//   module "no tag" (inventory)                                          NoTag
//   module "read failed" / "write failed": a fresh inventory decides:
//     the tag is no longer in the field                                  NoTag
//     it still is                                                        NoAnswer
//   module "access failed" (wrong password), a tag's own error code
//     (memory locked, memory overrun and the rest)                       Refused
//   module "invalid command", the reader's "unknown command"             Unsupported
class ReaderTagPort : public epc::TagPort
{
public:
    // TID words read: 96 bits (class, maker, model and the chip's serial), else the short form.
    static constexpr int kTidWords = 6;
    static constexpr int kShortTidWords = 2;

    // waitMs: the wait of every exchange instead of each command's own (rfidctl --timeout).
    // readPassword: the access password reads go with (a tag that has one answers reads only
    // with it); writes take the job's.
    explicit ReaderTagPort(ExchangePort &port, std::optional<int> waitMs = std::nullopt, quint32 readPassword = 0);
    ReaderTagPort(const ReaderTagPort &) = delete;
    ReaderTagPort &operator=(const ReaderTagPort &) = delete;

    epc::PortStatus inventory(std::vector<epc::FieldTag> &tags) override;
    epc::PortStatus readTid(const epc::FieldTag &tag, QByteArray &tid) override;
    epc::PortStatus writeEpc(const epc::FieldTag &tag, const QByteArray &epc, quint32 password) override;
    epc::PortStatus readEpc(const epc::FieldTag &tag, QByteArray &epc) override;

    // Module exchanges made so far, for the figures.
    qint64 exchanges() const { return exchanges_; }
    // How the exchange made last went (whether it reached the reader, and why not).
    const protocol::Exchange &lastExchange() const { return last_; }

private:
    // A tag as the last inventory showed it: the write needs its CRC word.
    struct Seen {
        QByteArray epc, crc;
    };

    // Sends one module command; frames holds the module frames of the reply on Ok.
    epc::PortStatus send(protocol::Request request, std::vector<QByteArray> &frames);
    // The same, for a command that answers with one frame of its own code; a module error
    // frame becomes its status (read / write failures by whether the tag is still there).
    epc::PortStatus command(const protocol::Request &request, uint8_t code, const QByteArray &epc, QByteArray &module);
    epc::PortStatus select(const QByteArray &epc);
    // Reads words of a bank of the selected tag; data holds them on Ok.
    epc::PortStatus readWords(const QByteArray &epc, uint8_t bank, uint16_t address, uint16_t words, QByteArray &data);
    epc::PortStatus moduleError(uint8_t code, const QByteArray &epc);

    ExchangePort &port_;
    std::optional<int> waitMs_;
    quint32 readPassword_;
    std::vector<Seen> seen_;
    protocol::Exchange last_;
    qint64 exchanges_ = 0;
};

} // namespace commission
