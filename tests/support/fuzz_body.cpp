// One fuzz input played through the game, shared by the fuzz target and the
// test that replays its corpus.
#include "tests/support/fuzz_body.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/services.h"
#include "tests/support/script.h"

namespace {

constexpr size_t kEmptySaveBytes = 5418;
constexpr size_t kRecordBytes = 8;
constexpr int kSteps = 400;
constexpr size_t kTargets = 4;         // generators whose cells the commands visit
constexpr int64_t kTargetMillis = 60;  // the commands of one target take this long
constexpr int kCellCentre = kCellSize / 2;

bool WriteSave(const uint8_t* data, size_t size) {
  FILE* file = std::fopen("save", "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> ReadSave() {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen("save", "rb");
  if (file == nullptr) return bytes;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(file);
  return bytes;
}

// A complete save is given back byte for byte, up to the records it announced.
bool SaveGivesBackInput(const uint8_t* data, size_t size) {
  if (!SaveGame()) return false;
  const std::vector<uint8_t> saved = ReadSave();
  const size_t expected = kEmptySaveBytes + kRecordBytes * generators.size();
  return expected <= size && saved.size() == expected && std::equal(saved.begin(), saved.end(), data);
}

// Upgrades (one and then with Shift), harvests, selects, buys and sells on a
// cell, all from time `t` on.
void ScheduleCommandsAt(int64_t t, int cellX, int cellY) {
  script::Move(t, (cellX * kCellSize + kCellCentre) * scale, (cellY * kCellSize + kCellCentre) * scale);
  script::Click(t + 1, kButtonLeft);
  script::KeyDown(t + 5, kKeyLeftShift);
  script::Click(t + 6, kButtonLeft);
  script::KeyUp(t + 9, kKeyLeftShift);
  script::ButtonDown(t + 10, kButtonRight);
  script::ButtonUp(t + 15, kButtonRight);
  script::KeyPress(t + 20, 'G');
  script::KeyPress(t + 21, 'E');
  script::KeyPress(t + 30, kKeySpace);
  script::Click(t + 35, kButtonLeft);
  script::KeyPress(t + 40, 'C');
  script::KeyPress(t + 41, kKeyLeft);
  script::KeyPress(t + 50, kKeySpace);
}

void ScheduleCommands() {
  // The cells are taken now: the commands themselves change the list.
  for (size_t i = 0; i < kTargets; ++i) {
    const int64_t t = 10 + static_cast<int64_t>(i) * kTargetMillis;
    if (i < generators.size())
      ScheduleCommandsAt(t, generators[i].x, generators[i].y);
    else
      ScheduleCommandsAt(t, static_cast<int>(i) * 7, static_cast<int>(i) * 3);
  }
}

}  // namespace

bool RunFuzzInput(const uint8_t* data, size_t size) {
  script::Reset();
  if (!WriteSave(data, size)) return true;     // nothing to load, nothing learnt
  if (LoadGame() != kSaveLoaded) return true;  // the game stops here
  if (!SaveGivesBackInput(data, size)) return false;
  ScheduleCommands();
  for (int step = 0; step < kSteps; ++step) {
    script::SetNow(step);
    HandleInput();
    UpdateWorld();
  }
  DrawWorld();
  return true;
}
