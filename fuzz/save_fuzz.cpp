// The fuzz target for save files: every input is loaded as "save" in a
// scratch directory and played on (tests/support/fuzz_body.cpp).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/fuzz_body.h"

namespace {
std::string scratch;
void RemoveScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  scratch = (std::filesystem::temp_directory_path() / "pigment-fuzz-XXXXXX").string();
  if (mkdtemp(scratch.data()) == nullptr || chdir(scratch.c_str()) != 0) {
    std::perror("save_fuzz: cannot make a scratch directory");
    std::exit(1);
  }
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A save that does not give back what was loaded is a finding of its own.
  if (!RunFuzzInput(data, size)) __builtin_trap();
  return 0;
}
