// Signals and a vanishing terminal, delivered to the real program on a
// pseudo-terminal: whatever happens, the terminal is left as it was found.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const char* const menuEnd = "or any other key to create 1 example.";
const char* const prompt = "Command? <q/esc,l,0-9,c,f>";

// Two hundred thousand examples of a three-input concept, then the learn key.
std::string longLearn() { return "c%" + std::string(20000, '9') + "l"; }

// The state letter of a process, as the system shows it ('T' when stopped).
char processState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

template <typename Condition>
bool eventually(Condition condition) {
  for (int i = 0; i < 2000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

TEST(TerminalSignals, EndingSignalsRestoreTheTerminalWhileAKeyIsAwaited) {
  const TempDir dir;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    TerminalSession session(dir.path());
    ASSERT_TRUE(session.waitFor(menuEnd));
    session.send("5");
    ASSERT_TRUE(session.waitFor(prompt));
    ASSERT_TRUE(inKeyMode(session.settings()));
    session.kill(signal);
    const int status = session.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
  }
}

TEST(TerminalSignals, EndingSignalsRestoreTheTerminalWhileACommandRuns) {
  const TempDir dir;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    {
      // Stuck in the middle of a run of examples, its answers unread.
      TerminalSession session(dir.path());
      ASSERT_TRUE(session.waitFor(menuEnd));
      const std::string keys(100000, '9');
      ASSERT_LT(session.sendUntilFull(keys), keys.size());
      session.kill(signal);
      const int status = session.wait(120000);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
    }
    {
      // Right after the learn command's dots show. Learning this many
      // examples takes a while, so the signal finds the tree growing.
      TerminalSession session(dir.path());
      ASSERT_TRUE(session.waitFor(menuEnd));
      session.feed(longLearn());
      ASSERT_TRUE(session.waitFor("...", 120000));
      session.kill(signal);
      const int status = session.wait(120000);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
    }
  }
}

TEST(TerminalSignals, CtrlZStopsInTheOriginalModeAndContinuingReturnsToKeyModeAndRedraws) {
  const TempDir dir;
  TerminalOptions job;
  job.asJob = true;
  TerminalSession session(dir.path(), job);
  ASSERT_TRUE(session.waitFor(menuEnd));
  session.send("0");
  ASSERT_TRUE(session.waitFor(prompt));
  ASSERT_TRUE(inKeyMode(session.settings()));
  // Ctrl-Z, then what a shell's fg does.
  const auto stopAndContinue = [&] {
    session.send("\x1a");
    ASSERT_TRUE(eventually([&] { return processState(session.programId()) == 'T'; }));
    EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
    ASSERT_EQ(kill(-session.programId(), SIGCONT), 0);
    EXPECT_TRUE(eventually([&] { return inKeyMode(session.settings()); }));
  };

  stopAndContinue();
  // The user is shown again where the program stands.
  ASSERT_TRUE(session.waitFor(prompt));
  // Keys are taken one by one again, unechoed, and Ctrl-Z made no example.
  session.send("0");
  ASSERT_TRUE(session.waitFor(prompt));
  EXPECT_EQ(occurrences(session.output(), "response: "), 2U);
  // In a menu, the menu is shown again, not the prompt of the commands.
  session.send("c");
  ASSERT_TRUE(session.waitFor("triple and '*'"));
  stopAndContinue();
  ASSERT_TRUE(session.waitFor("triple and '*'"));
  session.send("&");
  ASSERT_TRUE(session.waitFor("Fitness function used is now &"));
  session.send("q");
  const int status = session.wait();
  EXPECT_TRUE(exitedWithZero(status)) << status;
  EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
  EXPECT_EQ(occurrences(session.output(), prompt), 4U);
  EXPECT_EQ(occurrences(session.output(), "Fitness Function Selection\r\nChange to what type?"), 2U);
}

TEST(TerminalSignals, ClosingTheTerminalEndsTheProgram) {
  const TempDir dir;
  {
    // The hang-up signal ends it, as any ending signal does.
    TerminalSession session(dir.path());
    ASSERT_TRUE(session.waitFor(menuEnd));
    session.hangUp();
    const int status = session.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;
  }
  // With the signal ignored, the failed read ends the loop as a key of code
  // 0 does, whether a key or a file name was awaited; a loop that kept
  // reading would never end.
  TerminalOptions nohup;
  nohup.ignoreHangUp = true;
  for (const std::string keys : {"", "fs"}) {
    SCOPED_TRACE(keys);
    TerminalSession session(dir.path(), nohup);
    ASSERT_TRUE(session.waitFor(menuEnd));
    session.send(keys);
    if (!keys.empty()) {
      ASSERT_TRUE(session.waitFor("Save as: "));
    }
    session.hangUp();
    const int status = session.wait();
    EXPECT_TRUE(exitedWithZero(status)) << status;
  }
}
