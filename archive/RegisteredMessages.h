#pragma once

#include <QByteArray>
#include <cstdint>

// Process-wide named window messages: a name gets a number from 0xC000 up, the same number
// every time for the same name (case-insensitively), 0 for an empty name.
std::uint32_t registerWindowMessage(const QByteArray &name);
