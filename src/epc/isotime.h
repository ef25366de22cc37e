#pragma once

#include <QDateTime>
#include <QString>

// Times as ISO 8601 text, the form of the journal and of EPCIS.
namespace epc
{

// An ISO 8601 time (2024-05-01T10:00:00+02:00, 2024-05-01T08:00Z) or a date (2024-05-01,
// its midnight); without an offset, the time of this computer's zone. Throws UserError naming
// what.
QDateTime parseTime(const QString &text, const QString &what);

// 2024-05-01T10:00:00.000+02:00: the moment with the offset it carries ("Z" at UTC), as the
// journal writes it: rows from before and after a clock change still order.
QString isoTime(const QDateTime &time);

// +02:00, -05:30, +00:00: an offset from UTC as EPCIS writes it.
QString isoOffset(int offsetSeconds);

} // namespace epc
