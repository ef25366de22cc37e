#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <ostream>

// Readable failure output for QString values.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
