// Replays the fuzz corpus (fuzz/corpus) through the fuzz target's own body in
// the ordinary build, so every input that once mattered keeps being played.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/fuzz_body.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class FuzzCorpus : public TempDirTest {};

TEST_F(FuzzCorpus, EveryInputPlaysAndSavesBackWhatItLoaded) {
  const fs::path corpus = fs::path(PIGMENT_SOURCE_DIR) / "fuzz" / "corpus";
  int replayed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    testing::internal::CaptureStdout();  // "generator spawned" for every purchase
    const bool consistent = RunFuzzInput(bytes.data(), bytes.size());
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(consistent) << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no inputs in " << corpus;
}

}  // namespace
