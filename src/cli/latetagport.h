#pragma once

#include "commission/readertagport.h"
#include "epc/tagport.h"

#include <memory>

class ExchangePort;

namespace cli
{

// The reader as the batch's tag port, attached when the batch starts: the batch is checked and
// its journal opened while the run's commands are read, before a reader is opened.
//
// A reader that does not know the inventory (no UHF module behind it) would have the job wait
// for a tag forever; here it ends the batch as a reader gone would, and says so.
class LateTagPort : public epc::TagPort
{
public:
    // waitMs: every exchange's wait instead of each command's own (--timeout).
    void attach(ExchangePort &port, std::optional<int> waitMs, quint32 readPassword)
    {
        port_ = std::make_unique<commission::ReaderTagPort>(port, waitMs, readPassword);
    }
    void detach() { port_.reset(); }
    bool noInventory() const { return noInventory_; }
    // How the port's last exchange went; nothing sent yet when none is attached.
    protocol::Exchange lastExchange() const { return port_ ? port_->lastExchange() : protocol::Exchange{}; }

    epc::PortStatus inventory(std::vector<epc::FieldTag> &tags) override
    {
        const epc::PortStatus st = port_ ? port_->inventory(tags) : epc::PortStatus::ReaderGone;
        noInventory_ = st == epc::PortStatus::Unsupported;
        return noInventory_ ? epc::PortStatus::ReaderGone : st;
    }
    epc::PortStatus readTid(const epc::FieldTag &tag, QByteArray &tid) override
    {
        return port_ ? port_->readTid(tag, tid) : epc::PortStatus::ReaderGone;
    }
    epc::PortStatus writeEpc(const epc::FieldTag &tag, const QByteArray &epc, quint32 password) override
    {
        return port_ ? port_->writeEpc(tag, epc, password) : epc::PortStatus::ReaderGone;
    }
    epc::PortStatus readEpc(const epc::FieldTag &tag, QByteArray &epc) override
    {
        return port_ ? port_->readEpc(tag, epc) : epc::PortStatus::ReaderGone;
    }

private:
    std::unique_ptr<commission::ReaderTagPort> port_;
    bool noInventory_ = false;
};

} // namespace cli
