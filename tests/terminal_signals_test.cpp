// Signals and a vanishing terminal, delivered to the real program on a
// pseudo-terminal: whatever happens, the terminal is left as it was found.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include "support/ending_signals.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const char* const menuEnd = "or any other key to create 1 example.";
const char* const prompt = "Command? <q/esc,l,0-9,c,f>";

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

TEST(TerminalSignals, EveryEndingSignalRestoresTheTerminalAndEndsTheProgramByItself) {
  const TempDir dir;
  for (const int signal : endingSignals()) {
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
  // With the terminal's output suspended, the first line of a command waits:
  // once the program has taken the command's key, and not the quit behind
  // it, it stays inside the command until the signal comes.
  const std::pair<const char*, const char*> commands[] = {{"9", "a run of examples"},
                                                          {"l", "the learn command"}};
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (const auto& [key, command] : commands) {
      SCOPED_TRACE(std::string(strsignal(signal)) + " in " + command);
      TerminalSession session(dir.path());
      ASSERT_TRUE(session.waitFor(menuEnd));
      session.send("9");
      ASSERT_TRUE(session.waitFor(prompt));
      session.suspendOutput();
      session.send(std::string(key) + "q");
      ASSERT_TRUE(eventually([&] { return session.unreadInput() == 1; })) << session.unreadInput();
      session.kill(signal);
      const int status = session.wait();
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
      EXPECT_EQ(occurrences(session.output(), "response: "), 10U);
      EXPECT_EQ(occurrences(session.output(), "..."), 0U);
    }
  }
}

TEST(TerminalSignals, AStopUnderAParentInTheJobRestoresTheTerminalAndFgShowsWhereItWas) {
  const TempDir dir;
  TerminalOptions make;
  make.underParentInJob = true;
  TerminalSession session(dir.path(), make);
  ASSERT_TRUE(session.waitFor(menuEnd));
  session.send("9l");
  ASSERT_TRUE(session.waitFor("Tree has completed learning."));
  ASSERT_TRUE(session.waitFor(prompt));
  ASSERT_TRUE(inKeyMode(session.settings()));
  // Ctrl-Z as typed, or as under make, which stops at once, so that the
  // shell takes the terminal back before the program's handler runs; then
  // what a shell's fg does.
  const auto stopAndContinue = [&](bool shellFirst) {
    if (shellFirst) {
      session.shell('b');
      ASSERT_EQ(kill(-session.jobId(), SIGTSTP), 0);
    } else {
      session.send("\x1a");
    }
    ASSERT_TRUE(eventually([&] { return processState(session.programId()) == 'T'; }));
    EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
    if (!shellFirst) session.shell('b');
    session.shell('f');
    EXPECT_TRUE(eventually([&] { return inKeyMode(session.settings()); }));
  };

  stopAndContinue(false);
  // The user is shown again where the program stands.
  ASSERT_TRUE(session.waitFor(prompt));
  // Keys are taken one by one again, unechoed, and Ctrl-Z made no example.
  session.send("0");
  ASSERT_TRUE(session.waitFor(prompt));
  EXPECT_EQ(occurrences(session.output(), "response: "), 11U);
  // In a menu, the menu is shown again, not the prompt of the commands.
  session.send("c");
  ASSERT_TRUE(session.waitFor("triple and '*'"));
  stopAndContinue(true);
  ASSERT_TRUE(session.waitFor("triple and '*'"));
  session.send("&");
  ASSERT_TRUE(session.waitFor("Fitness function used is now &"));
  // What was typed of a name survives, and is shown again with its prompt.
  session.send("fstre");
  ASSERT_TRUE(session.waitFor("Save as: tre"));
  stopAndContinue(true);
  ASSERT_TRUE(session.waitFor("Save as: tre"));
  session.send("e.txt\n");
  ASSERT_TRUE(session.waitFor("Tree saved."));
  session.send("q");
  const int status = session.wait();
  EXPECT_TRUE(exitedWithZero(status)) << status;
  EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
  EXPECT_EQ(occurrences(session.output(), "Fitness Function Selection\r\nChange to what type?"), 2U);
  EXPECT_TRUE(fileExists(dir.file("tree.txt")));
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
