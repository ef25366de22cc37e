#pragma once

#include "field/modulechannel.h"
#include "field/tagaddress.h"
#include "field/tagmemory.h"

#include <QString>

// What the commands on the tags in the field share: the module reached through the session,
// the tag a command addresses, and failures said as the other commands say them.
namespace cli
{

class CommandArgs;
class Record;
class Session;

// The UHF module through the session's link (with --timeout's wait when given).
field::ModuleChannel moduleChannel(Session &session);

// The tag --epc or --tid names, checked; nothing when neither is given (the one tag in the
// field is meant). Throws UserError naming the option.
std::optional<field::TagAddress> tagAddressArgs(CommandArgs &args);
// The tag addressed, or the one tag in the field: several inventory rounds; more than one
// EPC heard, or one EPC answered by two tags, is refused with a pointer to --epc and --tid.
field::TagAddress addressedTag(Session &session, field::ModuleChannel &channel,
                               const std::optional<field::TagAddress> &given);

// Throws what a failed access is for the command line: NoReader, or ReaderFailure with a
// status word, the module's code in found as module_error.
[[noreturn]] void throwMemoryFailure(Session &session, const field::ModuleChannel &channel,
                                     const field::MemoryResult &result, Record found);

// A time of the application clock as ISO 8601 in UTC with milliseconds.
QString isoTime(qint64 msSinceEpoch);

} // namespace cli
