#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The built rfidctl, run as a user runs it.
struct Outcome {
    int exit = -1;
    QString out, err;

    // Standard output's lines, each parsed as JSON (empty objects for lines that are not).
    QList<QJsonObject> json() const;
};

Outcome rfidctl(const QStringList &args, const QByteArray &input = {},
                const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// The lines of a trace file (none when the file is missing).
QStringList traceLines(const QString &path);
