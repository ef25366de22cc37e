#pragma once

#include "epc/chunksink.h"

#include <QDateTime>
#include <QString>

namespace epc
{

// One commissioning event: a tag's EPC as its URI and when it was recorded.
struct CommissioningEvent {
    QString epcUri; // urn:epc:id:... or urn:epc:raw:...
    QDateTime time;
};

// Where every event of a document took place; empty URIs are left out.
struct EventPlace {
    QString readPoint;
    QString bizLocation;
};

// An EPCIS 2.0 document in one of its formats, written front to back to a sink: the head,
// each event, the end.
class EpcisWriter
{
public:
    virtual ~EpcisWriter() = default;
    virtual void begin(const QDateTime &creationDate) = 0;
    virtual void event(const CommissioningEvent &event) = 0;
    virtual void end() = 0;
};

} // namespace epc
