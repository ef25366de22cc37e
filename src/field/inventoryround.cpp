#include "field/inventoryround.h"

#include "base/clock.h"
#include "field/modulechannel.h"
#include "protocol/uhf.h"

#include <optional>

namespace field
{

namespace uhf = protocol::uhf;

Round inventoryRound(ModuleChannel &channel)
{
    using Kind = ModuleAnswer::Kind;
    Round round;
    const ModuleAnswer answer = channel.send(uhf::inventory());
    switch (answer.kind) {
    case Kind::NoTag:
        round.status = Round::Status::Empty;
        return round;
    case Kind::ReaderGone:
        round.status = Round::Status::ReaderGone;
        round.why = channel.why();
        return round;
    case Kind::Unsupported:
        round.status = Round::Status::Unsupported;
        round.why = QStringLiteral("the reader does not know the UHF module's inventory command");
        return round;
    case Kind::NoAnswer:
    case Kind::TooLong:
        round.status = Round::Status::NoAnswer;
        round.why = channel.why();
        return round;
    case Kind::Frames:
        break;
    }
    std::vector<uhf::InventoryTag> tags;
    std::optional<uint8_t> errorCode;
    for (const QByteArray &frame : answer.frames) {
        if (auto tag = uhf::parseInventoryTag(frame)) {
            tags.push_back(std::move(*tag));
        } else if (const auto m = uhf::parseModule(frame); m && m->errorCode()) {
            errorCode = m->errorCode();
        }
    }
    round.cutBytes = int(answer.rest.size());
    if (tags.empty()) {
        if (errorCode == uhf::kErrorNoTag) {
            round.status = Round::Status::Empty;
        } else if (errorCode == uhf::kErrorInvalidCommand) {
            round.status = Round::Status::Unsupported;
            round.why = QStringLiteral("the module does not know the inventory command");
        } else {
            round.status = Round::Status::NoAnswer;
            round.why = errorCode ? uhf::moduleErrorMessage(*errorCode) : QStringLiteral("the module's reply holds no tag");
        }
        return round;
    }
    const qint64 nowMs = appclock::now().toMSecsSinceEpoch();
    round.status = Round::Status::Tags;
    round.reads.reserve(tags.size());
    for (const uhf::InventoryTag &t : tags)
        round.reads.push_back(TagRead{nowMs, t.epc, t.pc, t.rssi, false});
    // Two frames of one EPC in a round are two tags: that EPC does not address one tag.
    for (size_t i = 0; i < round.reads.size(); ++i)
        for (size_t k = i + 1; k < round.reads.size(); ++k)
            if (round.reads[i].epc == round.reads[k].epc)
                round.reads[i].sharedEpc = round.reads[k].sharedEpc = true;
    return round;
}

} // namespace field
