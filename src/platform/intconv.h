#pragma once

#include <QString>

#include <optional>

// Reads a 32-bit integer the way the settings are read: leading spaces, then
// either an optionally signed decimal number or, without a sign, a hexadecimal
// one introduced by "$", "x", "X", "0x" or "0X" (up to eight significant
// digits, two's complement, so "$FFFFFFFF" is -1). Nothing may follow.
// Anything else, overflow included, gives no value.
std::optional<int> TextToInt(const QString &text);
