// A copy of the whole world, to put it back or to compare two runs of it.
#include "tests/support/snapshot.h"

#include <cstring>
#include <sstream>

Tsnapshot Capture() {
  Tsnapshot s;
  std::memcpy(s.cells, grid, sizeof grid);
  s.records = generators;
  std::memcpy(s.balances, money, sizeof money);
  std::memcpy(s.counts, genCount, sizeof genCount);
  return s;
}

void Restore(const Tsnapshot& s) {
  std::memcpy(grid, s.cells, sizeof grid);
  generators = s.records;
  std::memcpy(money, s.balances, sizeof money);
  std::memcpy(genCount, s.counts, sizeof genCount);
}

std::string FirstDifference(const Tsnapshot& want, const Tsnapshot& got) {
  std::ostringstream out;
  for (int x = 0; x < kFieldWidth; ++x)
    for (int y = 0; y < kFieldHeight; ++y)
      for (int c = 0; c < kChannels; ++c)
        if (want.cells[x][y][c] != got.cells[x][y][c]) {
          out << "cell " << x << "," << y << " channel " << c << ": " << int{want.cells[x][y][c]}
              << " wanted, " << int{got.cells[x][y][c]} << " got";
          return out.str();
        }
  if (want.records.size() != got.records.size()) return "record count differs";
  for (size_t i = 0; i < want.records.size(); ++i) {
    const Tgenerator& a = want.records[i];
    const Tgenerator& b = got.records[i];
    if (a.x != b.x || a.y != b.y || a.color != b.color || a.level != b.level || a.charge != b.charge ||
        a.facing != b.facing) {
      out << "record " << i << ": level " << a.level << " charge " << a.charge << " wanted, level " << b.level
          << " charge " << b.charge << " got";
      return out.str();
    }
  }
  for (int c = 0; c < kChannels; ++c) {
    if (want.balances[c] != got.balances[c]) {
      out << "balance " << c << ": " << want.balances[c] << " wanted, " << got.balances[c] << " got";
      return out.str();
    }
    if (want.counts[c] != got.counts[c]) return "count differs";
  }
  return "";
}
