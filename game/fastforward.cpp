// FastForwardWorld: many simulation steps at once, cell channel by cell channel.
// A record of level 1..1000 with a charge below 1000 acts exactly `level` times
// in every block of 1000 steps and ends the block at the charge it began with,
// so every block does the same thing to the field. One colour amount of one
// cell is only ever touched by the records that feed it or drain it, one unit
// at a time, and what each unit does depends on that amount alone; so each
// amount is advanced on its own: in closed form when only emitters or only
// extractors work on it, block by block when both do, jumping over the blocks
// in which nothing saturates and stopping once a block leaves it unchanged.
#include "game/fastforward.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/rules.h"
#include "game/world.h"

namespace {

constexpr int64_t kBlockSteps = kChargePerAction;
constexpr int kCellChannels = kFieldWidth * kFieldHeight * kChannels;
constexpr int kNoCell = -1;
constexpr int64_t kNever = -1;
// More units than an amount can hold end the same as exactly one more.
constexpr int64_t kUnitCap = int64_t{kChannelCeiling} + 1;
// A sum past the 32-bit balance saturates the same however far past it is;
// amounts are held below this so no sum or product of two can leave 64 bits.
constexpr int64_t kMoneyCap = int64_t{1} << 40;

// So few steps cost less to run one by one than to look up in the plan.
constexpr int64_t kPlainStepsBelow = 4;
// Making a plan costs about one block of stepping the records that share an
// amount; for fewer steps than a block, stepping them plainly is cheaper.
constexpr int64_t kPlanWorthSteps = kBlockSteps;
// A field bought in play lists at most 1,800 records' actions per block (1.8
// million); only a crafted save can pile thousands of records onto one amount.
// Past this bound the plan's memory is not worth it and the field is stepped plainly.
constexpr int64_t kMostPlannedActions = 4'000'000;

int64_t CapMoney(int64_t amount) { return std::min(amount, kMoneyCap); }

// times * each + sum, for non-negative values, held at kMoneyCap.
int64_t CappedMulAdd(int64_t times, int64_t each, int64_t sum) {
  if (each != 0 && times > (kMoneyCap - sum) / each) return kMoneyCap;
  return CapMoney(times * each + sum);
}

void PlainSteps(int64_t steps) {
  for (int64_t i = 0; i < steps; ++i) UpdateWorld();
}

int CellKey(int x, int y, int color) { return (x * kFieldHeight + y) * kChannels + color; }

uint8_t& CellAmount(int key) {
  return grid[key / (kFieldHeight * kChannels)][key / kChannels % kFieldHeight][key % kChannels];
}

// ---- One record's rhythm -----------------------------------------------------

// Steps until the record is in its 1000-step rhythm (level at most 1000 and
// charge below 1000), or kNever. Only a loaded record can be out of it.
int64_t StepsUntilRhythm(const Tgenerator& g) {
  const int64_t charge = g.charge;
  const int64_t level = g.level;
  if (level > kLevelCeiling) return kNever;
  if (charge < kChargePerAction) return 0;
  // The 16-bit sum wraps below 1000 and the record waits from there.
  if (charge + level > UINT16_MAX) return 1;
  // Acting every step, it loses 1000 - level per step; at 1000 it keeps its charge.
  const int64_t loss = kChargePerAction - level;
  if (loss == 0) return kNever;
  return (charge - (kChargePerAction - 1) + loss - 1) / loss;
}

int64_t StepsUntilAllInRhythm() {
  int64_t longest = 0;
  for (const Tgenerator& g : generators) {
    const int64_t steps = StepsUntilRhythm(g);
    if (steps == kNever) return kNever;
    longest = std::max(longest, steps);
  }
  return longest;
}

// The charge of a record in rhythm after `steps` steps.
uint16_t ChargeAfter(const Tgenerator& g, int64_t steps) {
  return static_cast<uint16_t>((g.charge + steps % kBlockSteps * g.level) % kBlockSteps);
}

// How often a record in rhythm acts in the next `steps` steps, up to kUnitCap.
int64_t ActsWithin(const Tgenerator& g, int64_t steps) {
  const int64_t blocks = steps / kBlockSteps;
  if (blocks >= kUnitCap) return kUnitCap;
  const int64_t acts = blocks * g.level + (g.charge + steps % kBlockSteps * g.level) / kBlockSteps;
  return std::min(acts, kUnitCap);
}

// The amount a record works on: the cell channel it feeds or drains.
struct Ttarget {
  int cell = kNoCell;
  bool drains = false;
};

Ttarget TargetOf(const Tgenerator& g) {
  if (g.color >= kChannels || g.level == 0) return {};  // it never does anything
  if (g.facing < kFacingExtractor) {
    const int x = g.x + kFeedDx[g.facing];
    const int y = g.y + kFeedDy[g.facing];
    if (!InBounds(x, y)) return {};
    return {CellKey(x, y, g.color), false};
  }
  if (g.facing == kFacingExtractor && InBounds(g.x, g.y)) return {CellKey(g.x, g.y, g.color), true};
  return {};
}

// ---- Amounts both fed and drained ----------------------------------------------

struct Top {
  uint16_t step;  // 1..1000 within the block
  int8_t delta;   // +1 a unit fed, -1 a unit drained
};

struct TsharedCell {
  int cell = kNoCell;
  std::vector<size_t> records;  // the records working on it, in list order
  std::vector<Top> ops;         // the block's actions on this amount, in acting order
  int drift = 0;                // units gained by a block in which nothing saturates
  int64_t drains = 0;           // units drained by such a block
  // Start amounts from which no action of a block meets 0 or the ceiling.
  int lowestClear = 0;
  int highestClear = 0;
  // An amount found to come back unchanged from a block, and what it drains.
  int fixedAmount = -1;
  int64_t fixedDrains = 0;
};

// Runs the actions of steps from+1..to of a block; returns the units drained.
int64_t RunSteps(const TsharedCell& s, int& amount, int64_t from, int64_t to) {
  auto op = std::upper_bound(s.ops.begin(), s.ops.end(), from,
                             [](int64_t step, const Top& o) { return step < o.step; });
  int64_t drained = 0;
  for (; op != s.ops.end() && op->step <= to; ++op) {
    if (op->delta > 0) {
      if (amount < kChannelCeiling) ++amount;
    } else if (amount > 0) {
      --amount;
      ++drained;
    }
  }
  return drained;
}

// Runs whole blocks. No action leaves a larger amount below what it leaves a
// smaller one, so neither does a whole block: the amounts at block ends move
// one way only until a block leaves one unchanged, within 255 blocks of work.
int64_t RunBlocks(TsharedCell& s, int& amount, int64_t blocks) {
  int64_t drained = 0;
  while (blocks > 0) {
    if (amount >= s.lowestClear && amount <= s.highestClear) {
      if (s.drift == 0) return CappedMulAdd(blocks, s.drains, drained);
      const int64_t room = s.drift > 0 ? s.highestClear - amount : amount - s.lowestClear;
      const int64_t run = std::min(blocks, room / std::abs(s.drift) + 1);
      drained = CappedMulAdd(run, s.drains, drained);
      amount += static_cast<int>(run * s.drift);
      blocks -= run;
      continue;
    }
    if (amount == s.fixedAmount) return CappedMulAdd(blocks, s.fixedDrains, drained);
    const int before = amount;
    const int64_t once = RunSteps(s, amount, 0, kBlockSteps);
    drained = CapMoney(drained + once);
    --blocks;
    if (amount == before) {
      s.fixedAmount = amount;
      s.fixedDrains = once;
      return CappedMulAdd(blocks, once, drained);
    }
  }
  return drained;
}

// Advances one shared amount by `steps` from `phase` steps into a block.
int64_t AdvanceShared(TsharedCell& s, int64_t steps, int64_t phase) {
  uint8_t& cell = CellAmount(s.cell);
  int amount = cell;
  int64_t drained = 0;
  if (phase > 0) {
    const int64_t end = steps >= kBlockSteps - phase ? kBlockSteps : phase + steps;
    drained = RunSteps(s, amount, phase, end);
    steps -= end - phase;
  }
  drained = CapMoney(drained + RunBlocks(s, amount, steps / kBlockSteps));
  drained = CapMoney(drained + RunSteps(s, amount, 0, steps % kBlockSteps));
  cell = static_cast<uint8_t>(amount);
  return drained;
}

// The block's actions on one amount, step by step and within a step in list
// order, found by running its records' charges through one block; with them
// the drift and the start amounts from which nothing saturates.
void ListActions(TsharedCell& s, const std::vector<Ttarget>& targets) {
  std::vector<int> charges, levels, deltas;
  size_t actions = 0;
  for (const size_t r : s.records) {
    charges.push_back(generators[r].charge);
    levels.push_back(generators[r].level);
    deltas.push_back(targets[r].drains ? -1 : 1);
    actions += generators[r].level;
  }
  s.ops.reserve(actions);
  int sum = 0, lowest = 0, highest = 0;
  for (int step = 1; step <= kBlockSteps; ++step)
    for (size_t j = 0; j < charges.size(); ++j) {
      charges[j] += levels[j];
      if (charges[j] < kChargePerAction) continue;
      charges[j] -= kChargePerAction;
      s.ops.push_back({static_cast<uint16_t>(step), static_cast<int8_t>(deltas[j])});
      sum += deltas[j];
      lowest = std::min(lowest, sum);
      highest = std::max(highest, sum);
    }
  s.drift = sum;
  s.drains = (static_cast<int64_t>(s.ops.size()) - sum) / 2;  // fed minus drained is the drift
  s.lowestClear = -lowest;
  s.highestClear = kChannelCeiling - highest;
}

// ---- The plan: what the records do, kept while they stay as they are --------------

struct Tplan {
  bool valid = false;
  std::vector<Tgenerator> reference;  // the records when the plan was made
  int64_t phase = 0;                  // steps the records have run since, modulo a block
  std::vector<Ttarget> targets;       // per record
  std::vector<int> sharedIndex;       // per cell channel: its entry in `shared`, or -1
  std::vector<TsharedCell> shared;
  std::vector<int64_t> fed;  // per cell channel, scratch for one advance
  std::vector<int64_t> drained;
};

Tplan plan;

bool SameRecord(const Tgenerator& g, const Tgenerator& r) {
  return g.x == r.x && g.y == r.y && g.color == r.color && g.level == r.level && g.facing == r.facing;
}

bool ChargesAt(int64_t phase) {
  for (size_t i = 0; i < generators.size(); ++i)
    if (generators[i].charge != ChargeAfter(plan.reference[i], phase)) return false;
  return true;
}

// The plan still holds when every record is the one it was made from, moved
// on by some number of steps, whether they were run here or one by one.
bool PlanFits() {
  if (!plan.valid || plan.reference.size() != generators.size()) return false;
  for (size_t i = 0; i < generators.size(); ++i)
    if (!SameRecord(generators[i], plan.reference[i])) return false;
  if (ChargesAt(plan.phase)) return true;
  for (int64_t phase = 0; phase < kBlockSteps; ++phase) {
    if (!ChargesAt(phase)) continue;
    plan.phase = phase;
    return true;
  }
  return false;
}

// Returns false, with no plan made, when the plan would list more actions
// than kMostPlannedActions.
bool MakePlan() {
  constexpr uint8_t kFed = 1, kDrained = 2;
  plan.valid = true;
  plan.reference = generators;
  plan.phase = 0;
  plan.targets.assign(generators.size(), Ttarget{});
  plan.sharedIndex.assign(kCellChannels, -1);
  plan.shared.clear();
  std::vector<uint8_t> workedBy(kCellChannels, 0);
  for (size_t i = 0; i < generators.size(); ++i) {
    plan.targets[i] = TargetOf(generators[i]);
    const Ttarget& t = plan.targets[i];
    if (t.cell != kNoCell) workedBy[static_cast<size_t>(t.cell)] |= t.drains ? kDrained : kFed;
  }
  for (int cell = 0; cell < kCellChannels; ++cell) {
    if (workedBy[static_cast<size_t>(cell)] != (kFed | kDrained)) continue;
    plan.sharedIndex[static_cast<size_t>(cell)] = static_cast<int>(plan.shared.size());
    plan.shared.emplace_back().cell = cell;
  }
  int64_t actions = 0;
  for (size_t i = 0; i < generators.size(); ++i) {
    const Ttarget& t = plan.targets[i];
    if (t.cell == kNoCell) continue;
    const int index = plan.sharedIndex[static_cast<size_t>(t.cell)];
    if (index < 0) continue;
    plan.shared[static_cast<size_t>(index)].records.push_back(i);
    actions += generators[i].level;
  }
  if (actions > kMostPlannedActions) {
    plan.valid = false;
    return false;
  }
  for (TsharedCell& s : plan.shared) ListActions(s, plan.targets);
  return true;
}

// Amounts only fed or only drained: the units simply add up, capped by the ceiling or the stock.
void AdvanceLoneCells(int64_t steps, int64_t earned[kChannels]) {
  plan.fed.assign(kCellChannels, 0);
  plan.drained.assign(kCellChannels, 0);
  for (size_t i = 0; i < generators.size(); ++i) {
    const Ttarget& t = plan.targets[i];
    if (t.cell == kNoCell || plan.sharedIndex[static_cast<size_t>(t.cell)] >= 0) continue;
    int64_t& count = (t.drains ? plan.drained : plan.fed)[static_cast<size_t>(t.cell)];
    count = std::min(kUnitCap, count + ActsWithin(generators[i], steps));
  }
  for (int cell = 0; cell < kCellChannels; ++cell) {
    uint8_t& amount = CellAmount(cell);
    const int64_t fed = plan.fed[static_cast<size_t>(cell)];
    const int64_t drained = std::min<int64_t>(amount, plan.drained[static_cast<size_t>(cell)]);
    amount = static_cast<uint8_t>(std::min<int64_t>(kChannelCeiling, amount + fed) - drained);
    earned[cell % kChannels] += drained;
  }
}

void AdvancePlanned(int64_t steps) {
  int64_t earned[kChannels] = {};
  AdvanceLoneCells(steps, earned);
  for (TsharedCell& s : plan.shared) {
    int64_t& sum = earned[s.cell % kChannels];
    sum = CapMoney(sum + AdvanceShared(s, steps, plan.phase));
  }
  for (Tgenerator& g : generators) g.charge = ChargeAfter(g, steps);
  plan.phase = (plan.phase + steps % kBlockSteps) % kBlockSteps;
  // Every unit drained adds 1, and additions of one sign saturate the same
  // whether made one by one or at once: the sum is added in one go.
  for (int c = 0; c < kChannels; ++c)
    if (earned[c] > 0) AddToBalance(c, earned[c]);
}

}  // namespace

void FastForwardWorld(int64_t steps) {
  if (steps <= 0) return;
  if (steps < kPlainStepsBelow) {
    PlainSteps(steps);
    return;
  }
  // Records out of rhythm (only a loaded file holds them) are stepped plainly
  // until they are in it; if one never will be, the whole way is stepped plainly.
  const int64_t lead = StepsUntilAllInRhythm();
  const int64_t plain = lead == kNever ? steps : std::min(lead, steps);
  PlainSteps(plain);
  steps -= plain;
  if (steps == 0) return;
  if (!PlanFits()) {
    if (steps < kPlanWorthSteps) {
      PlainSteps(steps);
      return;
    }
    if (!MakePlan()) {
      PlainSteps(steps);
      return;
    }
  }
  AdvancePlanned(steps);
}
