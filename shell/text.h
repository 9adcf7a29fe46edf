// The number texts of the status bar: plain integers, three-digit cell amounts
// and the action rate of a generator.
#pragma once

#include <cstdint>
#include <string>

// Decimal, with a leading "-" when negative and no padding.
std::string IntegerText(int64_t value);
// Exactly three digits with leading zeros: "000" to "255".
std::string AmountText(uint8_t amount);
// Actions per second of a generator of `level`: the first three characters of
// the nine-significant-digit text of the 32-bit float 0.2 * level.
std::string RateText(uint16_t level);
