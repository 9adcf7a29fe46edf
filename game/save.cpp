// The save file "save": the world's balances, counts, grid and generators in a
// fixed little-endian layout, read once at start-up and written once at the end.
#include <cstddef>

#include "game/world.h"
#include "shell/streams.h"

namespace {

constexpr const char* kSaveName = "save";
constexpr size_t kHeaderBytes = 4 * kChannels + 2 * kChannels;
constexpr size_t kGridBytes = size_t{kFieldWidth} * kFieldHeight * kChannels;
constexpr size_t kRecordBytes = 8;
constexpr const char* kCountsDisagree =
    "the generator counts do not announce the generators in play, so the save could not be loaded back";

// The file holds no record count: the counts of the three colours announce it,
// summed with 16-bit wrap-around as the counts themselves wrap.
uint16_t AnnouncedRecords() {
  uint32_t sum = 0;
  for (const uint16_t count : genCount) sum += count;
  return static_cast<uint16_t>(sum & 0xFFFFu);
}

// Each value is stored as soon as it is read, so an early end leaves what came
// before it in place. False when the file ended early.
bool ReadHeader(TinStream& in) {
  for (int32_t& balance : money)
    if (!ReadI32(in, balance)) return false;
  for (uint16_t& count : genCount)
    if (!ReadU16(in, count)) return false;
  return true;
}

// Row by row, column by column, channel by channel.
bool ReadGrid(TinStream& in) {
  for (int y = 0; y < kFieldHeight; ++y)
    for (int x = 0; x < kFieldWidth; ++x)
      for (int c = 0; c < kChannels; ++c)
        if (!ReadU8(in, grid[x][y][c])) return false;
  return true;
}

bool ReadRecord(TinStream& in, Tgenerator& g) {
  return ReadU8(in, g.x) && ReadU8(in, g.y) && ReadU8(in, g.color) && ReadU16(in, g.level) &&
         ReadU16(in, g.charge) && ReadU8(in, g.facing);
}

bool ReadGenerators(TinStream& in) {
  const uint16_t records = AnnouncedRecords();
  generators.reserve(generators.size() + records);
  for (uint16_t i = 0; i < records; ++i) {
    // The record joins the list first and is filled field by field.
    if (!ReadRecord(in, generators.emplace_back())) return false;
  }
  return true;
}

void WriteGrid(ToutStream& out) {
  for (int y = 0; y < kFieldHeight; ++y)
    for (int x = 0; x < kFieldWidth; ++x)
      for (int c = 0; c < kChannels; ++c) WriteU8(out, grid[x][y][c]);
}

void WriteRecord(ToutStream& out, const Tgenerator& g) {
  WriteU8(out, g.x);
  WriteU8(out, g.y);
  WriteU8(out, g.color);
  WriteU16(out, g.level);
  WriteU16(out, g.charge);
  WriteU8(out, g.facing);
}

}  // namespace

TloadResult LoadGame() {
  TinStream in;
  if (!OpenForUpdate(in, kSaveName)) return kNoSave;
  // Only the records the counts announce are read; anything after them is not ours.
  const bool complete = ReadHeader(in) && ReadGrid(in) && ReadGenerators(in);
  CloseStream(in);
  return complete ? kSaveLoaded : kSaveTruncated;
}

bool SaveGame() {
  // The file carries no record count of its own. A list the counts do not
  // announce (a loaded generator of no colour sold without its count, or more
  // than 65,535 generators) would give a save that stops every later start or
  // silently drops generators: the previous save is kept instead.
  if (generators.size() != AnnouncedRecords()) {
    ReportUnsaved(kSaveName, kCountsDisagree);
    return false;
  }
  ToutStream out;
  out.bytes.reserve(kHeaderBytes + kGridBytes + kRecordBytes * generators.size());
  for (const int32_t balance : money) WriteI32(out, balance);
  for (const uint16_t count : genCount) WriteU16(out, count);
  WriteGrid(out);
  for (const Tgenerator& g : generators) WriteRecord(out, g);
  return ReplaceFile(kSaveName, out);
}
