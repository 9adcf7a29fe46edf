// The prices, the refund and the saturating balance arithmetic.
#include "game/rules.h"

#include <algorithm>
#include <limits>

#include "game/world.h"

namespace {
constexpr int32_t kBasePrice = 5;
constexpr int32_t kPricePerGenerator = 5;
constexpr int32_t kPricePerLevel = 10;
}  // namespace

int32_t GeneratorPrice(int color) { return genCount[color] * kPricePerGenerator + kBasePrice; }

int32_t UpgradePrice(uint16_t level) { return level * kPricePerLevel; }

int64_t UpgradesPaid(uint16_t level) {
  const int64_t l = level;
  return kPricePerLevel / 2 * l * (l - 1);
}

void AddToBalance(int color, int64_t amount) {
  const int64_t sum = int64_t{money[color]} + amount;
  money[color] = static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                          std::numeric_limits<int32_t>::max()));
}
