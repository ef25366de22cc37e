#pragma once

#include "epc/epciswriter.h"

namespace epc
{

// The JSON-LD form: an EPCISDocument with GS1's 2.0 context, one ObjectEvent a line. The
// vocabulary takes the short names (commissioning, active), which GS1's JSON schema accepts
// and its examples use; it refuses the urn:epcglobal:cbv: URIs in JSON.
class EpcisJsonWriter : public EpcisWriter
{
public:
    EpcisJsonWriter(ChunkSink &sink, const EventPlace &place);
    void begin(const QDateTime &creationDate) override;
    void event(const CommissioningEvent &event) override;
    void end() override;

private:
    ChunkSink &sink_;
    QByteArray tail_; // what every event ends with: action, vocabulary, place
    bool first_ = true;
};

} // namespace epc
