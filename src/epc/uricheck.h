#pragma once

#include <QString>

namespace epc
{

// Throws UserError naming what unless text is an absolute URI: a scheme, a colon and a rest
// of the characters a URI allows, each % starting an escape of two hex digits
// (urn:epc:id:sgln:0614141.07346.1234, https://id.example.com/414/0614141073467).
void checkUri(const QString &text, const QString &what);

} // namespace epc
