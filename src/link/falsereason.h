#pragma once

#include <QString>

// The reader's error code (two hex digits, compared exactly) as a message; empty when unknown.
QString falsereason(const QString &code);
