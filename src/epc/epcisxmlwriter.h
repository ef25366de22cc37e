#pragma once

#include "epc/epciswriter.h"

namespace epc
{

// The XML form: an epcis:EPCISDocument of schema version 2.0 in the epcis namespace. The
// vocabulary takes the CBV URIs (urn:epcglobal:cbv:bizstep:commissioning), as GS1's XML
// examples write it.
class EpcisXmlWriter : public EpcisWriter
{
public:
    EpcisXmlWriter(ChunkSink &sink, const EventPlace &place);
    void begin(const QDateTime &creationDate) override;
    void event(const CommissioningEvent &event) override;
    void end() override;

private:
    ChunkSink &sink_;
    QByteArray tail_; // what every event ends with: action, vocabulary, place
};

} // namespace epc
