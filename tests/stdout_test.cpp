// Standard output never stops the game: a full pipe nobody reads, a pipe
// whose reader has gone, or no standard output at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "shell/services.h"

namespace {

// Runs `body` in a child process with standard output on the write end of a
// fresh pipe, prepared by `setUp(readEnd, writeEnd)`. The child has five
// seconds; returns its wait status.
template <typename SetUp, typename Body>
int InChildWritingToPipe(SetUp setUp, Body body) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    alarm(5);  // a write that blocks ends the child with SIGALRM
    setUp(ends[0], ends[1]);
    dup2(ends[1], STDOUT_FILENO);
    body();
    _exit(0);
  }
  close(ends[0]);
  close(ends[1]);
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

void FillPipe(int writeEnd) {
  fcntl(writeEnd, F_SETFL, O_NONBLOCK);
  const char block[512] = {};
  while (write(writeEnd, block, sizeof block) > 0) {
  }
  fcntl(writeEnd, F_SETFL, 0);
}

TEST(WriteStdoutLine, DropsTheLineWhenNobodyReadsAFullPipe) {
  const int status = InChildWritingToPipe([](int, int writeEnd) { FillPipe(writeEnd); },
                                          [] { WriteStdoutLine("generator spawned"); });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(WriteStdoutLine, SurvivesAPipeWhoseReaderHasGone) {
  const int status = InChildWritingToPipe([](int readEnd, int) { close(readEnd); },
                                          [] {
                                            for (int i = 0; i < 3; ++i) WriteStdoutLine("generator spawned");
                                          });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(WriteStdoutLine, SurvivesNoStandardOutput) {
  const int status = InChildWritingToPipe([](int, int) {},
                                          [] {
                                            close(STDOUT_FILENO);
                                            WriteStdoutLine("generator spawned");
                                          });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(WriteStdoutLine, WritesTheTextAndALineEnd) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const int saved = dup(STDOUT_FILENO);
  dup2(ends[1], STDOUT_FILENO);
  WriteStdoutLine("generator spawned");
  dup2(saved, STDOUT_FILENO);
  close(saved);
  close(ends[1]);
  char buffer[64] = {};
  const ssize_t got = read(ends[0], buffer, sizeof buffer - 1);
  close(ends[0]);
  EXPECT_EQ(got, 19);
  EXPECT_STREQ(buffer, "generator spawned\r\n");
}

}  // namespace
