#pragma once

#include <QStringList>
#include <QTextStream>

namespace cli
{

// The whole of rfidctl: reads the options and commands in arguments (program name first),
// checks every command, then runs them in one session. Returns the exit status: 0 success,
// 1 the reader refused, did not answer or a verification failed, 2 bad usage or input
// (nothing sent), 3 no reader or it cannot be opened. Needs a QCoreApplication.
int run(const QStringList &arguments, QTextStream &in, QTextStream &out, QTextStream &err);

} // namespace cli
