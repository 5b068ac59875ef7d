// The learn command's dots reach the screen before the tree starts to grow.
// The first allocation after the learn key is read looks at what the loop
// has printed so far; that allocation is the learn's own. Replaces the
// global operator new, so it has an executable of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/command_loop.h"
#include "learner/learner.h"
#include "support/replaced_new.h"

namespace {

const char keys[] = "9lq";
std::size_t keysRead = 0;
bool learnKeyRead = false;
bool looked = false;
int printedPipe = -1;  // the read end of the loop's standard output
char printed[65536];
std::size_t printedLength = 0;

// Reads what has reached the pipe, without waiting and without allocating.
void lookAtOutput() {
  for (;;) {
    const ssize_t got = read(printedPipe, printed + printedLength, sizeof printed - printedLength);
    if (got <= 0) return;
    printedLength += static_cast<std::size_t>(got);
  }
}

// Hands the loop one key per read, so that it is known when 'l' was taken.
ssize_t readKeys(void*, char* buffer, std::size_t size) {
  if (size == 0 || keys[keysRead] == '\0') return 0;
  buffer[0] = keys[keysRead++];
  if (buffer[0] == 'l') learnKeyRead = true;
  return 1;
}

}  // namespace

void onAllocation() {
  if (learnKeyRead && !looked) {
    looked = true;
    lookAtOutput();
  }
}

TEST(LearnCommand, ShowsItsDotsBeforeTheTreeGrows) {
  int pipeEnds[2];
  ASSERT_EQ(pipe2(pipeEnds, O_NONBLOCK), 0);
  printedPipe = pipeEnds[0];
  std::fflush(stdout);
  const int console = dup(STDOUT_FILENO);
  dup2(pipeEnds[1], STDOUT_FILENO);
  close(pipeEnds[1]);

  std::FILE* in = fopencookie(nullptr, "r", cookie_io_functions_t{readKeys, nullptr, nullptr, nullptr});
  ASSERT_NE(in, nullptr);
  Console keysOnly;
  keysOnly.in = in;
  {
    Learner learner;
    CommandLoop(learner, keysOnly);
  }
  std::fclose(in);
  std::fflush(stdout);
  dup2(console, STDOUT_FILENO);
  close(console);
  close(printedPipe);

  ASSERT_TRUE(looked);
  const std::string before(printed, printedLength);
  ASSERT_GE(before.size(), 3U);
  EXPECT_EQ(before.substr(before.size() - 3), "...");
}
