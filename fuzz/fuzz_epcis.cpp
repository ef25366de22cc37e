#include "epc/chunksink.h"
#include "epc/csvverifiedrows.h"
#include "epc/epcisjsonwriter.h"
#include "epc/epcisxmlwriter.h"
#include "epc/gs1codec.h"
#include "base/errors.h"

#include <cstddef>
#include <cstdint>

// A journal file of any content made into EPCIS documents: its rows' times and EPCs as
// `rfidctl epc epcis` reads them, both writers fed with what comes out.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    epc::ChunkSink sink([](QByteArrayView) {}, 256);
    epc::EpcisJsonWriter json(sink, {QStringLiteral("urn:a"), {}});
    epc::EpcisXmlWriter xml(sink, {{}, QStringLiteral("urn:b")});
    try {
        epc::CsvVerifiedRows::forEachIn(QByteArrayView(data, qsizetype(size)), QStringLiteral("journal.csv"),
                                        std::nullopt, [&](const epc::VerifiedTag &tag) {
                                            const epc::Decoded decoded = epc::decode(tag.epc);
                                            json.event({decoded.tagUri, tag.time});
                                            xml.event({decoded.tagUri, tag.time});
                                        });
    } catch (const UserError &) {
        // A malformed journal is refused with a message: that is the expected outcome.
    }
    return 0;
}
