// The save file: its exact bytes, loading back, truncated and longer files,
// and saving that never damages the previous save, whatever fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "game/world.h"
#include "shell/game.h"
#include "shell/streams.h"
#include "tests/support/script.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Tbytes = std::vector<uint8_t>;

constexpr size_t kEmptySaveBytes = 5418;

Tbytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Tbytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Tbytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

bool SameGenerator(const Tgenerator& a, const Tgenerator& b) {
  return a.x == b.x && a.y == b.y && a.color == b.color && a.level == b.level && a.charge == b.charge &&
         a.facing == b.facing;
}

// A red level-3 emitter at (4, 7) facing right with charge 250, then a blue
// extractor at (59, 29) just bought.
void MakeTwoGeneratorWorld() {
  script::Reset();
  money[0] = 1234;
  money[1] = -7;
  money[2] = 40;
  genCount[0] = 1;
  genCount[2] = 1;
  grid[4][8][0] = 200;
  grid[59][29][2] = 3;
  generators.push_back({.x = 4, .y = 7, .color = 0, .level = 3, .charge = 250, .facing = kFacingRight});
  generators.push_back({.x = 59, .y = 29, .color = 2, .level = 1, .charge = 0, .facing = kFacingExtractor});
}

Tbytes TwoGeneratorSave() {
  MakeTwoGeneratorWorld();
  EXPECT_TRUE(SaveGame());
  return ReadFile("save");
}

// Runs the whole program on the scripted platform: the help screen is left
// with Enter, play with a close request.
int RunScriptedGame(std::string& errors) {
  script::Reset();
  script::SetFrameLimit(600);
  script::KeyPress(10, kKeyEnter);
  script::Close(200);
  testing::internal::CaptureStderr();
  const int status = RunGame();
  errors = testing::internal::GetCapturedStderr();
  return status;
}

class SaveTest : public TempDirTest {
 protected:
  void TearDown() override {
    ClearFileFaults();
    TempDirTest::TearDown();
  }
};

// ---- Layout ---------------------------------------------------------------------

TEST_F(SaveTest, EmptyWorldIsExactlyTheHeaderAndGrid) {
  script::Reset();
  money[0] = -5;
  money[1] = 0x01020304;
  money[2] = INT32_MIN;
  grid[1][0][0] = 7;
  grid[0][1][1] = 9;
  grid[59][29][2] = 0xAB;
  ASSERT_TRUE(SaveGame());

  const Tbytes bytes = ReadFile("save");
  ASSERT_EQ(bytes.size(), kEmptySaveBytes);
  const Tbytes header = {0xFB, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x00,
                         0x00, 0x00, 0x80, 0,    0,    0,    0,    0,    0};
  EXPECT_EQ(Tbytes(bytes.begin(), bytes.begin() + 18), header);
  // The byte of [x, y, c] is at 18 + 180 y + 3 x + c.
  EXPECT_EQ(bytes[18 + 3 + 0], 7);
  EXPECT_EQ(bytes[18 + 180 + 1], 9);
  EXPECT_EQ(bytes[5417], 0xAB);
  EXPECT_EQ(std::count(bytes.begin() + 18, bytes.end(), 0), 5400 - 3);

  ResetWorld();
  ASSERT_EQ(LoadGame(), kSaveLoaded);
  EXPECT_EQ(money[0], -5);
  EXPECT_EQ(money[1], 0x01020304);
  EXPECT_EQ(money[2], INT32_MIN);
  EXPECT_EQ(grid[1][0][0], 7);
  EXPECT_EQ(grid[0][1][1], 9);
  EXPECT_EQ(grid[59][29][2], 0xAB);
  EXPECT_TRUE(generators.empty());
}

TEST_F(SaveTest, TwoGeneratorWorldEndsInItsTwoRecords) {
  const Tbytes bytes = TwoGeneratorSave();
  ASSERT_EQ(bytes.size(), 5434u);
  const Tbytes counts = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(Tbytes(bytes.begin() + 12, bytes.begin() + 18), counts);
  const Tbytes records = {0x04, 0x07, 0x00, 0x03, 0x00, 0xFA, 0x00, 0x01,
                          0x3B, 0x1D, 0x02, 0x01, 0x00, 0x00, 0x00, 0x04};
  EXPECT_EQ(Tbytes(bytes.end() - 16, bytes.end()), records);
}

// Odd values are kept as they are, and the counts announce the records with
// 16-bit wrap-around: 65535 + 1 + 2 announces 2.
TEST_F(SaveTest, SaveLoadSaveKeepsEveryValueAndTheListOrder) {
  script::Reset();
  money[1] = INT32_MAX;
  genCount[0] = 65535;
  genCount[1] = 1;
  genCount[2] = 2;
  generators.push_back({.x = 200, .y = 255, .color = 9, .level = 0, .charge = 65535, .facing = 77});
  generators.push_back({.x = 3, .y = 3, .color = 1, .level = 1000, .charge = 999, .facing = 2});
  generators.push_back({.x = 3, .y = 3, .color = 2, .level = 65535, .charge = 1, .facing = 4});
  genCount[2] = 3;  // 65535 + 1 + 3 wraps to 3: all three records
  const std::vector<Tgenerator> saved = generators;
  ASSERT_TRUE(SaveGame());
  const Tbytes first = ReadFile("save");

  ResetWorld();
  ASSERT_EQ(LoadGame(), kSaveLoaded);
  ASSERT_EQ(generators.size(), saved.size());
  for (size_t i = 0; i < saved.size(); ++i) EXPECT_TRUE(SameGenerator(generators[i], saved[i])) << i;
  EXPECT_EQ(genCount[0], 65535);
  EXPECT_EQ(money[1], INT32_MAX);
  ASSERT_TRUE(SaveGame());
  EXPECT_EQ(ReadFile("save"), first);
}

TEST_F(SaveTest, SelectionsAreNotSaved) {
  const Tbytes plain = TwoGeneratorSave();
  MakeTwoGeneratorWorld();
  selFacing = kFacingExtractor;
  selColor = 2;
  ASSERT_TRUE(SaveGame());
  EXPECT_EQ(ReadFile("save"), plain);

  std::string errors;
  EXPECT_EQ(RunScriptedGame(errors), 0) << errors;
  EXPECT_EQ(selFacing, kFacingUp);
  EXPECT_EQ(selColor, 0);
}

// ---- Loading ----------------------------------------------------------------------

TEST_F(SaveTest, LongerFileLoadsOnlyItsAnnouncedRecords) {
  Tbytes bytes = TwoGeneratorSave();
  // A third record nobody announced, and some stray bytes.
  const Tbytes extra = {1, 1, 0, 1, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE};
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  WriteFile("save", bytes);

  ResetWorld();
  ASSERT_EQ(LoadGame(), kSaveLoaded);
  ASSERT_EQ(generators.size(), 2u);
  EXPECT_EQ(generators[1].x, 59);
  EXPECT_EQ(ReadFile("save"), bytes) << "loading changed the file";

  // A whole run writes the world back without the stray bytes.
  std::string errors;
  ASSERT_EQ(RunScriptedGame(errors), 0) << errors;
  EXPECT_EQ(ReadFile("save").size(), 5434u);
}

TEST_F(SaveTest, NoUsableFileLeavesTheWorldAsCreated) {
  script::Reset();
  money[0] = 55;
  EXPECT_EQ(LoadGame(), kNoSave);  // no file at all
  fs::create_directory("save");
  EXPECT_EQ(LoadGame(), kNoSave);
  fs::remove("save");
  ASSERT_EQ(mkfifo("save", 0644), 0);  // must not wait for a writer
  EXPECT_EQ(LoadGame(), kNoSave);
  EXPECT_EQ(money[0], 55);
  EXPECT_TRUE(generators.empty());
}

TEST_F(SaveTest, ReadOnlyFileIsNotLoaded) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens a read-only file for writing anyway";
  WriteFile("save", TwoGeneratorSave());
  fs::permissions("save", fs::perms::owner_read);
  ResetWorld();
  EXPECT_EQ(LoadGame(), kNoSave);
  EXPECT_TRUE(generators.empty());
}

// Cuts inside a balance, the counts, the grid, a record, and one byte short of
// the last record: the game stops before the help screen and leaves the file.
TEST_F(SaveTest, TruncatedFileStopsStartUpAndStaysAsItWas) {
  const Tbytes whole = TwoGeneratorSave();
  for (size_t cut : {0u, 2u, 13u, 18u, 1000u, 5417u, 5418u, 5421u, 5433u}) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const Tbytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    WriteFile("save", prefix);
    std::string errors;
    EXPECT_EQ(RunScriptedGame(errors), 255);
    EXPECT_EQ(errors, "Error reading from stream");
    EXPECT_EQ(script::FramesPresented(), 0) << "the help screen was shown";
    EXPECT_EQ(ReadFile("save"), prefix);
    EXPECT_EQ(Entries(dir()), std::set<std::string>{"save"});
  }
}

TEST_F(SaveTest, RunWithoutSaveSeedsAndSavesANewWorld) {
  std::string errors;
  ASSERT_EQ(RunScriptedGame(errors), 0) << errors;
  EXPECT_EQ(errors, "");
  EXPECT_EQ(ReadFile("save").size(), kEmptySaveBytes);
  EXPECT_EQ(Entries(dir()), std::set<std::string>{"save"});
}

// ---- Saving safely ------------------------------------------------------------------

TEST_F(SaveTest, SymbolicLinkIsKeptAndItsFileReplacedWithItsPermissions) {
  const Tbytes old = TwoGeneratorSave();
  fs::remove("save");
  fs::create_directory("real");
  WriteFile("real/thesave", old);
  fs::permissions("real/thesave", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real/thesave", "hop");
  fs::create_symlink("hop", "save");

  MakeTwoGeneratorWorld();
  money[0] = 99;
  ASSERT_TRUE(SaveGame());
  ASSERT_TRUE(fs::is_symlink("save"));
  EXPECT_EQ(fs::read_symlink("save"), "hop");
  const Tbytes now = ReadFile("real/thesave");
  ASSERT_EQ(now.size(), old.size());
  EXPECT_EQ(now[0], 99);
  EXPECT_EQ(fs::status("real/thesave").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Entries("real"), std::set<std::string>{"thesave"});
  EXPECT_EQ(Entries(dir()), (std::set<std::string>{"hop", "real", "save"}));

  // A link to a file not there yet creates that file.
  fs::remove("save");
  fs::create_symlink("real/fresh", "save");
  ASSERT_TRUE(SaveGame());
  EXPECT_EQ(ReadFile("real/fresh").size(), old.size());
  EXPECT_TRUE(fs::is_symlink("save"));
}

struct TfaultCase {
  const char* what;
  TfileStep step;
  int nth;
  int error;
};

// Every failing step leaves the old save byte for byte, removes the temporary
// file and says which file and why, in one line.
TEST_F(SaveTest, FailedSaveKeepsTheOldSave) {
  const TfaultCase cases[] = {
      {"read-only save", kStepCheckTarget, 1, EACCES},
      {"unwritable directory", kStepCreateTemp, 1, EACCES},
      {"full disk at once", kStepWrite, 1, ENOSPC},
      {"failure half-way", kStepWrite, 2, EIO},
      {"failed flush", kStepSync, 1, EIO},
      {"failed rename", kStepRename, 1, EXDEV},
  };
  const Tbytes old = TwoGeneratorSave();
  for (const TfaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTwoGeneratorWorld();
    money[0] = 1;
    ClearFileFaults();
    InjectFileFault(c.step, c.nth, c.error);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveGame());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, std::string("PIGMENTBURGH: cannot save the game to \"save\": ") +
                          std::strerror(c.error) + "\n");
    EXPECT_EQ(ReadFile("save"), old);
    EXPECT_EQ(Entries(dir()), std::set<std::string>{"save"});
  }
}

// A rename that may not survive a power cut is reported, though the new save
// is already in place.
TEST_F(SaveTest, UnsyncedDirectoryIsReported) {
  TwoGeneratorSave();
  money[0] = 1;
  InjectFileFault(kStepSyncDir, 1, EIO);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveGame());
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      std::string("PIGMENTBURGH: saved the game to \"save\", but could not make the save safe on disk: ") +
          std::strerror(EIO) + "\n");
  EXPECT_EQ(ReadFile("save")[0], 1);
}

// A list its counts do not announce could not be loaded back as it is: fewer
// records than announced would stop every later start, more would be dropped.
TEST_F(SaveTest, ListTheCountsDoNotAnnounceKeepsTheOldSave) {
  const Tbytes old = TwoGeneratorSave();
  struct Tcase {
    const char* what;
    uint16_t red, green;
    size_t listed;
  };
  const Tcase cases[] = {
      {"a generator of no colour sold", 1, 0, 0},
      {"65,536 generators, announced as 0", 65535, 1, 65536},
  };
  for (const Tcase& c : cases) {
    SCOPED_TRACE(c.what);
    script::Reset();
    genCount[0] = c.red;
    genCount[1] = c.green;
    generators.resize(c.listed);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveGame());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("PIGMENTBURGH: cannot save the game to \"save\": ", 0), 0u) << errors;
    EXPECT_EQ(ReadFile("save"), old);
  }
}

TEST_F(SaveTest, WhatIsNoFileIsNeverReplaced) {
  script::Reset();
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  fs::create_symlink("loop", "loop");
  for (const char* name : {"save", "fifo", "loop"}) {
    SCOPED_TRACE(name);
    fs::remove("save");  // the empty directory or a link of the previous case
    if (std::string(name) == "save")
      fs::create_directory("save");
    else
      fs::create_symlink(name, "save");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveGame());
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
  }
  EXPECT_TRUE(fs::is_fifo("fifo"));
  EXPECT_EQ(Entries(dir()), (std::set<std::string>{"fifo", "loop", "save"}));
}

// Through the whole program: a read-only save or an unwritable directory ends
// the run with status 1 and the message, and the old save survives. Root is
// not stopped by permission bits, so there the system's refusal is injected.
TEST_F(SaveTest, UnwritableSaveEndsTheRunWithStatusOne) {
  const Tbytes old = TwoGeneratorSave();
  const bool root = geteuid() == 0;
  struct Tsetup {
    const char* what;
    fs::path chmodPath;
    fs::perms perms;
    TfileStep step;
  };
  const Tsetup setups[] = {
      {"read-only save", "save", fs::perms::owner_read, kStepCheckTarget},
      {"unwritable directory", dir(), fs::perms::owner_read | fs::perms::owner_exec, kStepCreateTemp},
  };
  for (const Tsetup& s : setups) {
    SCOPED_TRACE(s.what);
    fs::permissions(s.chmodPath, s.perms);
    ClearFileFaults();
    if (root) InjectFileFault(s.step, 1, EACCES);
    std::string errors;
    EXPECT_EQ(RunScriptedGame(errors), 1);
    EXPECT_NE(errors.find("\"save\": Permission denied\n"), std::string::npos) << errors;
    fs::permissions(s.chmodPath, fs::perms::owner_all);
    EXPECT_EQ(ReadFile("save"), old);
    EXPECT_EQ(Entries(dir()), std::set<std::string>{"save"});
  }
}

// A process killed in the middle of writing leaves the old save intact; the
// half-written temporary file proves it died there.
TEST_F(SaveTest, ProcessKilledMidWriteLeavesTheOldSave) {
  const Tbytes old = TwoGeneratorSave();
  constexpr int kKilledStatus = 42;
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    money[0] = 1;
    InjectExitDuringWrite(2, kKilledStatus);
    SaveGame();
    _exit(0);  // the seam did not stop us
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), kKilledStatus);
  EXPECT_EQ(ReadFile("save"), old);
  const fs::path temp = ".save." + std::to_string(child) + ".tmp";
  EXPECT_EQ(fs::file_size(temp), kWriteChunk + (old.size() - kWriteChunk) / 2);

  // The next run saves normally and clears what the killed one left.
  money[0] = 2;
  ASSERT_TRUE(SaveGame());
  EXPECT_EQ(ReadFile("save")[0], 2);
  EXPECT_FALSE(fs::exists(temp));
}

}  // namespace
