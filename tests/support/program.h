#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/command.h"

// Starts `argv[0]` (looked up in PATH when it holds no slash) in a child
// process; every program a test runs is started here. From the first call on
// the test ignores SIGPIPE, so that writing to a program that has quit gives
// EPIPE, which `writeAll` takes as the reader having gone, instead of ending
// the test; the program gets the default action back. `prepare` runs in the
// child before the program replaces it, so it may make only
// async-signal-safe calls. A program that cannot be started ends with status
// 127. Answers the child's id.
pid_t launch(const std::vector<std::string>& argv, const std::function<void()>& prepare);

// Runs of the real treebench program.

struct ProgramRun {
  std::string output;
  int status = -1;         // as waitpid reports it
  long peakKilobytes = 0;  // the program's largest resident size
};

// The options of a run; `input` is given by the keys.
using RunOptions = CommandOptions;

// Starts the program in a new session, so that it has no controlling
// terminal, feeds it `keys` on standard input and collects its standard
// output until it ends. What it says on standard error is passed on.
ProgramRun runWithoutTerminal(const std::string& keys, const RunOptions& options = {});

bool exitedWithZero(int status);

// Writes all of bytes, going on after interruptions; stops where the reader
// has gone.
void writeAll(int fd, const std::string& bytes);

struct TerminalOptions {
  // Starts the program as a shell starts `make run`: the program's parent (a
  // stand-in for make, which stops at Ctrl-Z) leads a job, a process group
  // of its own in the terminal's foreground, and the program is in that
  // group. The leader of the session plays the shell's part on request
  // (`shell`). Without the job the group is orphaned and the system
  // discards Ctrl-Z.
  bool underParentInJob = false;
  // Starts the program with SIGHUP ignored, as nohup does.
  bool ignoreHangUp = false;
};

// The program on a pseudo-terminal of its own, as a user at a console has it.
class TerminalSession {
 public:
  explicit TerminalSession(const std::string& folder, const TerminalOptions& options = {});
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  void send(const std::string& bytes) const;
  // Suspends the terminal's output, as a terminal sent XOFF does: the
  // program's next write waits for as long as the program lives.
  void suspendOutput() const;
  // How many of the bytes sent have reached the program's terminal and are
  // not read yet.
  std::size_t unreadInput() const;
  // Closes the terminal's master side, as a closed terminal window does.
  void hangUp();
  // Waits until `text` appears in the output after what earlier waits
  // matched; false when it has not within the time.
  bool waitFor(const std::string& text, int timeoutMs = 10000);
  // The terminal's current settings.
  termios settings() const;
  termios initialSettings() const { return initial_; }
  // Waits for the program to end and answers its waitpid status, or -1.
  int wait(int timeoutMs = 10000);
  const std::string& output() const { return output_; }
  // Sends `signal` to the program itself.
  void kill(int signal) const;
  // As a shell does, under `underParentInJob`: 'b' takes the terminal back
  // from the job, as when the job has stopped; 'f' gives it back and
  // continues the job (fg). Returns once it is done.
  void shell(char command) const;
  pid_t jobId() const { return job_; }
  pid_t programId() const { return program_; }

 private:
  bool readSome(int timeoutMs);

  int master_ = -1;
  int slave_ = -1;      // kept open to read the settings, also after the end
  pid_t pid_ = -1;      // the child of the test: the program, or its job parent
  pid_t program_ = -1;  // the program
  pid_t job_ = -1;      // the job's process group, under `underParentInJob`
  int commands_ = -1;   // to the shell's part
  int answers_ = -1;    // from the shell's part
  termios initial_{};
  std::string output_;
  std::size_t matched_ = 0;
};

// Whether the settings are the program's key mode: no echo, no line editing.
bool inKeyMode(const termios& settings);
bool sameMode(const termios& a, const termios& b);
