#include "cli/run.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

// rfidctl: every reader command from the command line. Everything but the streams is in
// src/cli, so that the tests and the build's generated texts use the same code.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rfidctl"));
    QTextStream in(stdin), out(stdout), err(stderr);
    return cli::run(QCoreApplication::arguments(), in, out, err);
}
