// The number texts of the status bar: plain integers, three-digit cell amounts
// and the action rate of a generator.
#include "shell/text.h"

#include <charconv>
#include <cstdio>

namespace {
constexpr int kAmountDigits = 3;
constexpr int kAmountOffset = 1000;  // amount + 1000 always has four digits; the last three are kept
constexpr float kActionsPerSecondPerLevel = 0.2f;
constexpr std::size_t kRateChars = 3;
}  // namespace

std::string IntegerText(int64_t value) {
  // to_chars handles the most negative value too, where negating would overflow.
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string AmountText(uint8_t amount) {
  const std::string text = IntegerText(int64_t{amount} + kAmountOffset);
  return text.substr(text.size() - kAmountDigits);
}

std::string RateText(uint16_t level) {
  // The product is rounded to a 32-bit float before it is written out, so some
  // levels show a tenth less than level / 5 (level 7 gives 1.39999998).
  const float rate = kActionsPerSecondPerLevel * static_cast<float>(level);
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%#.9g", static_cast<double>(rate));
  if (length <= 0) return std::string();
  const auto written =
      static_cast<std::size_t>(length) < sizeof buffer ? static_cast<std::size_t>(length) : sizeof buffer - 1;
  return std::string(buffer, written < kRateChars ? written : kRateChars);
}
