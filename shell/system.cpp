// The clock, the random generator and standard output.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <random>
#include <string>

#include "shell/platform.h"
#include "shell/services.h"

namespace {
std::mt19937 randomEngine;
}

int64_t ClockMillis() { return PlatformMillis(); }

int DesktopPixelWidth() { return DesktopWidth(); }

void SeedRandom(uint32_t seed) { randomEngine.seed(seed); }

int RandomBetween(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(randomEngine);
}

void WriteStdoutLine(std::string_view text) {
  // A closed pipe must not kill the game: ignore SIGPIPE and let write fail.
  static const bool sigpipeIgnored = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)sigpipeIgnored;

  std::string line(text);
  line += "\r\n";
  const char* data = line.data();
  size_t left = line.size();
  while (left > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // no console, closed pipe, full disk: the line is lost
    data += written;
    left -= static_cast<size_t>(written);
  }
}
