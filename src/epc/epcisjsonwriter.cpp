#include "epc/epcisjsonwriter.h"

#include "epc/isotime.h"

namespace epc
{
namespace
{

// A JSON string: quotes, backslashes and control characters escaped; the rest as UTF-8.
QByteArray jsonString(const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto u = uchar(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

QByteArray jsonPlace(const char *key, const QString &uri)
{
    return uri.isEmpty() ? QByteArray() : QByteArray(", \"") + key + "\": {\"id\": " + jsonString(uri) + '}';
}

} // namespace

EpcisJsonWriter::EpcisJsonWriter(ChunkSink &sink, const EventPlace &where) : sink_(sink)
{
    tail_ = "\"action\": \"ADD\", \"bizStep\": \"commissioning\", \"disposition\": \"active\"" +
            jsonPlace("readPoint", where.readPoint) + jsonPlace("bizLocation", where.bizLocation) + '}';
}

void EpcisJsonWriter::begin(const QDateTime &creationDate)
{
    sink_ << "{\n"
             "  \"@context\": \"https://ref.gs1.org/standards/epcis/2.0.0/epcis-context.jsonld\",\n"
             "  \"type\": \"EPCISDocument\",\n"
             "  \"schemaVersion\": \"2.0\",\n"
             "  \"creationDate\": "
          << jsonString(isoTime(creationDate))
          << ",\n"
             "  \"epcisBody\": {\n"
             "    \"eventList\": [";
}

void EpcisJsonWriter::event(const CommissioningEvent &e)
{
    sink_ << (first_ ? "\n      " : ",\n      ")
          << "{\"type\": \"ObjectEvent\", \"eventTime\": " << jsonString(isoTime(e.time))
          << ", \"eventTimeZoneOffset\": " << jsonString(isoOffset(e.time.offsetFromUtc())) << ", \"epcList\": ["
          << jsonString(e.epcUri) << "], " << tail_;
    first_ = false;
}

void EpcisJsonWriter::end()
{
    sink_ << (first_ ? "]\n" : "\n    ]\n") << "  }\n}\n";
    sink_.flush();
}

} // namespace epc
