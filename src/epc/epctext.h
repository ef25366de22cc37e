#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// EPCs as text, at the edges only: what a user types or a list file holds, and what is shown.
// Inside, an EPC is its bytes.
namespace epc
{

// A tag's EPC memory is written in 16-bit words, at most 31 of them after the PC word.
constexpr int kMaxEpcBytes = 62;

// The bytes of a hex EPC ("3074257BF7194E4000001A85", blanks between digit pairs allowed).
// Throws UserError naming `what` when the text is empty, has a character that is not a hex
// digit, an odd number of digits, an odd number of bytes (not whole words) or more than
// kMaxEpcBytes bytes.
QByteArray parseHex(const QString &text, const QString &what = QStringLiteral("EPC"));

// Upper-case hex, no blanks: the form of the journal and of every printed EPC.
QString toHex(const QByteArray &bytes);

// urn:epc:raw:96.x3074257BF7194E4000001A85: the standard's form for bits no scheme decodes.
QString rawUri(const QByteArray &bytes);

// An EPC as a user or a list file writes it: hex, an EPC tag URI (urn:epc:tag:...), a raw URI
// (urn:epc:raw:N.x...) or, given a filter, a pure-identity URI (urn:epc:id:...). Throws
// UserError with a message that says which form was taken for what and why it fails.
QByteArray parseEpcText(const QString &text, std::optional<int> filter = std::nullopt);

} // namespace epc
