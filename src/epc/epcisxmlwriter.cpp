#include "epc/epcisxmlwriter.h"

#include "epc/isotime.h"

namespace epc
{
namespace
{

// Text for an element or an attribute: the five markup characters as entities; tabs and line
// breaks as references, so that an attribute keeps them; the other control characters, which
// XML 1.0 cannot carry at all, as U+FFFD.
QByteArray xmlText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (uchar(c) < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

QByteArray xmlPlace(const char *element, const QString &uri)
{
    if (uri.isEmpty())
        return {};
    return QByteArray("        <") + element + ">\n          <id>" + xmlText(uri) + "</id>\n        </" + element +
           ">\n";
}

} // namespace

EpcisXmlWriter::EpcisXmlWriter(ChunkSink &sink, const EventPlace &where) : sink_(sink)
{
    tail_ = "        <action>ADD</action>\n"
            "        <bizStep>urn:epcglobal:cbv:bizstep:commissioning</bizStep>\n"
            "        <disposition>urn:epcglobal:cbv:disp:active</disposition>\n" +
            xmlPlace("readPoint", where.readPoint) + xmlPlace("bizLocation", where.bizLocation) +
            "      </ObjectEvent>\n";
}

void EpcisXmlWriter::begin(const QDateTime &creationDate)
{
    sink_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<epcis:EPCISDocument xmlns:epcis=\"urn:epcglobal:epcis:xsd:2\" schemaVersion=\"2.0\" creationDate=\""
          << xmlText(isoTime(creationDate))
          << "\">\n"
             "  <EPCISBody>\n"
             "    <EventList>\n";
}

void EpcisXmlWriter::event(const CommissioningEvent &e)
{
    sink_ << "      <ObjectEvent>\n        <eventTime>" << xmlText(isoTime(e.time))
          << "</eventTime>\n        <eventTimeZoneOffset>" << xmlText(isoOffset(e.time.offsetFromUtc()))
          << "</eventTimeZoneOffset>\n        <epcList>\n          <epc>" << xmlText(e.epcUri)
          << "</epc>\n        </epcList>\n"
          << tail_;
}

void EpcisXmlWriter::end()
{
    sink_ << "    </EventList>\n"
             "  </EPCISBody>\n"
             "</epcis:EPCISDocument>\n";
    sink_.flush();
}

} // namespace epc
