#pragma once

#include "epc/epciswriter.h"
#include "epc/verifiedrows.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

// The EPCIS 2.0 document of the tags a journal shows commissioned: one ObjectEvent per
// verified tag (action ADD, business step commissioning, disposition active), its EPC as the
// pure-identity URI or, when no GS1 scheme decodes it, the raw URI.
namespace epc
{

enum class EpcisFormat { JsonLd, Xml };

struct EpcisRequest {
    EpcisFormat format = EpcisFormat::JsonLd;
    EventPlace place;               // URIs checked by the caller (checkUri)
    std::optional<QDateTime> since; // only tags recorded at or after it
};

// Writes the document to out in pieces of about 64 KiB, reading the journal once; its
// creation date is the app clock's now. Returns the number of events. Throws UserError when
// the journal cannot be read or holds a malformed row: out then has only part of it.
qint64 writeEpcisDocument(const VerifiedRows &rows, const EpcisRequest &request,
                          const std::function<void(QByteArrayView)> &out);

// The format a file's name asks for: XML for .xml, JSON-LD for anything else.
EpcisFormat formatForFileName(const QString &path);
// "json" or "xml", as the command line names them.
QString formatWord(EpcisFormat format);
// The media type an EPCIS repository takes the format as.
QByteArray mediaType(EpcisFormat format);

} // namespace epc
