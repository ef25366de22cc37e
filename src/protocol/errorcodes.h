#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The reader's error code (two hex digits, compared exactly) as a message; empty when unknown.
QString falsereason(const QString &code);

namespace protocol
{
// The message of an error code byte; empty when there is none or it is unknown.
QString errorText(std::optional<uint8_t> code);
} // namespace protocol
