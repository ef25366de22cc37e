#include "base/errors.h"
#include "epc/journalreader.h"

#include <cstddef>
#include <cstdint>

// A journal file of any content, as --resume reads it after a crash or from the wrong file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        (void)epc::parseJournal(QByteArrayView(data, qsizetype(size)), QStringLiteral("journal.csv"));
    } catch (const UserError &) {
        // A malformed journal is refused with a message: that is the expected outcome.
    }
    return 0;
}
