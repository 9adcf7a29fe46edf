// The clock, the random generator and standard output.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <random>
#include <string>

#include "shell/platform.h"
#include "shell/services.h"

namespace {
std::mt19937 randomEngine;

// Standard output or error may be a pipe whose reader has gone: a write must
// then fail with EPIPE rather than end the game before it can save.
void IgnoreBrokenPipes() {
  static bool ignored = false;
  if (ignored) return;
  std::signal(SIGPIPE, SIG_IGN);
  ignored = true;
}

// A pipe nobody reads, or a terminal paused by the player, must not freeze the
// game: the line is dropped instead of waiting for room.
bool StdoutHasRoom() {
  pollfd out{STDOUT_FILENO, POLLOUT, 0};
  while (true) {
    const int ready = poll(&out, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    return ready == 1 && (out.revents & POLLOUT) != 0;
  }
}

}  // namespace

void PrepareProcess() { IgnoreBrokenPipes(); }

int64_t ClockMillis() { return PlatformMillis(); }

int DesktopPixelWidth() { return DesktopWidth(); }

void SeedRandom(uint32_t seed) { randomEngine.seed(seed); }

int RandomBetween(int low, int high) { return std::uniform_int_distribution<int>(low, high)(randomEngine); }

void WriteStdoutLine(std::string_view text) {
  IgnoreBrokenPipes();
  std::string line(text);
  line += "\r\n";
  const char* data = line.data();
  size_t left = line.size();
  while (left > 0) {
    if (!StdoutHasRoom()) return;
    const ssize_t written = write(STDOUT_FILENO, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // no console, closed pipe, full disk: the line is lost
    data += written;
    left -= static_cast<size_t>(written);
  }
}
