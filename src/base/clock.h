#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// The one clock behind every time stamp, replaceable so that tests are exact.
namespace appclock
{
QDateTime now();
void setSource(std::function<QDateTime()> source); // empty function: the system clock
} // namespace appclock

// "hh:mm:ss AM/PM" of the given moment (12-hour clock; 00:xx is 12 AM, 12:xx is 12 PM).
QString timeStamp(const QDateTime &moment);

// The stamp of the current moment.
QString timeStamp();
