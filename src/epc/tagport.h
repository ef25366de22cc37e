#pragma once

#include <QByteArray>
#include <vector>

namespace epc
{

// What a reader did with one request.
enum class PortStatus {
    Ok,
    NoTag,       // no tag answered: the field is empty, or the tag left
    SeveralTags, // more than one tag answered where one was meant
    Refused,     // the tag answered and refused: locked memory, another access password
    NoAnswer,    // the reader did not answer in time; it may the next time
    Unsupported, // the reader cannot do this (readTid on a reader without TID access)
    ReaderGone,  // unplugged, or its port closed: the job ends
};

// A tag as an inventory saw it.
struct FieldTag {
    QByteArray epc; // its EPC now
    QByteArray tid; // its TID when the inventory gives it; empty otherwise
};

// The reader as the commissioning job needs it. Every call is synchronous and returns when
// the reader has answered or its own timeout has passed. A call that addresses a tag gets it
// as the latest inventory reported it (the job takes a fresh inventory after anything that
// may have changed the EPC), so that the port can select it by EPC or by TID.
class TagPort
{
public:
    virtual ~TagPort() = default;

    // The tags in the field now: Ok with any number of tags (none: Ok with an empty list, or
    // NoTag). A reader that only sees one tag at a time reports a collision as SeveralTags.
    virtual PortStatus inventory(std::vector<FieldTag> &tags) = 0;

    // The tag's TID bank, as bytes. Unsupported where the reader cannot read it.
    virtual PortStatus readTid(const FieldTag &tag, QByteArray &tid) = 0;

    // Writes epc (whole words) into the tag's EPC bank and sets its PC word's length to match.
    // password: the tag's access password (0 for none).
    virtual PortStatus writeEpc(const FieldTag &tag, const QByteArray &epc, quint32 password) = 0;

    // Reads the EPC the tag's EPC bank holds (as many words as its PC word says).
    virtual PortStatus readEpc(const FieldTag &tag, QByteArray &epc) = 0;
};

const char *statusText(PortStatus status);

} // namespace epc
