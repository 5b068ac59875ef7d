#include "support/program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// The command that starts the program: the words of TREEBENCH_WRAPPER, if
// set (a memory checker, say), followed by the program itself.
std::vector<std::string> programCommand() {
  std::vector<std::string> words;
  if (const char* wrapper = std::getenv("TREEBENCH_WRAPPER")) {
    std::istringstream split(wrapper);
    for (std::string word; split >> word;) words.push_back(word);
  }
  words.emplace_back(TREEBENCH_PROGRAM);
  return words;
}

}  // namespace

pid_t launch(const std::vector<std::string>& argv, const std::function<void()>& prepare) {
  if (argv.empty()) throw std::invalid_argument("no program to run");
  signal(SIGPIPE, SIG_IGN);
  // Made before the fork: the child may not allocate.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    prepare();
    signal(SIGPIPE, SIG_DFL);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    // EPIPE among them, as SIGPIPE is ignored: the reader has gone.
    if (wrote <= 0) return;
    done += static_cast<std::size_t>(wrote);
  }
}

ProgramRun runWithoutTerminal(const std::string& keys, const RunOptions& options) {
  RunOptions withKeys = options;
  withKeys.input = keys;
  CommandRun run = runCommand(programCommand(), withKeys);
  std::cerr << run.err;
  return {std::move(run.out), run.status, run.peakKilobytes};
}

bool exitedWithZero(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

namespace {

// Ends as the process that `status` describes ended.
[[noreturn]] void endAs(int status) {
  if (WIFSIGNALED(status)) {
    signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 125);
}

[[noreturn]] void awaitAndEndAs(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) _exit(125);
  }
  endAs(status);
}

// Makes the calling child, the session's leader, the shell of a job whose
// leader is the program's parent: a shell's part, kept to the least. It
// returns only in the program's process. The parent tells the test the
// program's id on `answers`; the shell then takes the commands of
// `TerminalSession::shell` until the test closes them, and ends as the job
// does.
void becomeShell(const int (&commandPipe)[2], const int (&answerPipe)[2]) {
  close(commandPipe[1]);
  close(answerPipe[0]);
  const int commands = commandPipe[0];
  const int answers = answerPipe[1];
  const pid_t job = fork();
  if (job < 0) _exit(125);
  if (job == 0) {
    setpgid(0, 0);
    // Done by both sides, so that the program never reads from the
    // background; a group may take the foreground only with SIGTTOU ignored.
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    const pid_t program = fork();
    if (program < 0) _exit(125);
    if (program == 0) return;
    const bool told = write(answers, &program, sizeof program) == static_cast<ssize_t>(sizeof program);
    close(answers);
    close(commands);
    if (!told) _exit(125);
    awaitAndEndAs(program);
  }
  setpgid(job, job);
  signal(SIGTTOU, SIG_IGN);
  tcsetpgrp(STDIN_FILENO, job);
  char command = 0;
  while (read(commands, &command, 1) == 1) {
    if (command == 'f') {
      tcsetpgrp(STDIN_FILENO, job);
      kill(-job, SIGCONT);
    } else {
      tcsetpgrp(STDIN_FILENO, getpgrp());
    }
    if (write(answers, &command, 1) != 1) _exit(125);
  }
  awaitAndEndAs(job);
}

}  // namespace

TerminalSession::TerminalSession(const std::string& folder, const TerminalOptions& options) {
  // The program's terminal starts with the settings of a fresh one, taken
  // here so that they can be compared with what it leaves behind.
  int freshMaster = -1;
  int freshSlave = -1;
  if (openpty(&freshMaster, &freshSlave, nullptr, nullptr, nullptr) != 0)
    throw std::runtime_error("openpty failed");
  tcgetattr(freshSlave, &initial_);
  close(freshSlave);
  close(freshMaster);
  // Kept open by the test to read the settings, also after the end.
  if (openpty(&master_, &slave_, nullptr, &initial_, nullptr) != 0)
    throw std::runtime_error("openpty failed");
  int commands[2] = {-1, -1};
  int answers[2] = {-1, -1};
  if (options.underParentInJob && (pipe2(commands, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0))
    throw std::runtime_error("pipe failed");
  pid_ = launch(programCommand(), [&] {
    // Only the terminal's slave side goes to the program, as its
    // controlling terminal and its standard streams.
    close(master_);
    if (login_tty(slave_) != 0) _exit(126);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
    if (options.ignoreHangUp) signal(SIGHUP, SIG_IGN);
    if (options.underParentInJob) becomeShell(commands, answers);
  });
  program_ = pid_;
  if (options.underParentInJob) {
    close(commands[0]);
    close(answers[1]);
    commands_ = commands[1];
    answers_ = answers[0];
    const ssize_t got = read(answers_, &program_, sizeof program_);
    if (got != static_cast<ssize_t>(sizeof program_)) throw std::runtime_error("the job did not start");
    job_ = getpgid(program_);
  }
}

void TerminalSession::shell(char command) const {
  char done = 0;
  if (write(commands_, &command, 1) != 1 || read(answers_, &done, 1) != 1)
    throw std::runtime_error("the shell's part has gone");
}

TerminalSession::~TerminalSession() {
  if (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      if (job_ > 0) ::kill(-job_, SIGKILL);
      if (program_ != pid_) ::kill(program_, SIGKILL);
      ::kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  for (const int fd : {slave_, master_, commands_, answers_}) {
    if (fd >= 0) close(fd);
  }
}

void TerminalSession::kill(int signal) const { ::kill(program_, signal); }

void TerminalSession::send(const std::string& bytes) const { writeAll(master_, bytes); }

void TerminalSession::suspendOutput() const {
  if (tcflow(slave_, TCOOFF) != 0) throw std::runtime_error("cannot suspend the terminal's output");
}

std::size_t TerminalSession::unreadInput() const {
  int waiting = 0;
  if (ioctl(slave_, FIONREAD, &waiting) != 0) throw std::runtime_error("cannot see the terminal's input");
  return static_cast<std::size_t>(waiting);
}

void TerminalSession::hangUp() {
  close(master_);
  master_ = -1;
}

bool TerminalSession::readSome(int timeoutMs) {
  pollfd ready{master_, POLLIN, 0};
  if (poll(&ready, 1, timeoutMs) <= 0) return false;
  char buffer[65536];
  const ssize_t got = read(master_, buffer, sizeof buffer);
  if (got <= 0) return false;
  output_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

bool TerminalSession::waitFor(const std::string& text, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // Where the text may still begin: output searched once is not again.
  std::size_t from = matched_;
  for (;;) {
    const auto found = output_.find(text, from);
    if (found != std::string::npos) {
      matched_ = found + text.size();
      return true;
    }
    if (output_.size() >= text.size()) from = std::max(from, output_.size() - text.size() + 1);
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (!readSome(50)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

termios TerminalSession::settings() const {
  termios now{};
  tcgetattr(slave_, &now);
  return now;
}

int TerminalSession::wait(int timeoutMs) {
  // The shell's part ends with the job once it takes no more commands.
  if (commands_ >= 0) close(commands_);
  commands_ = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      while (readSome(0)) {
      }
      pid_ = -1;
      return status;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    if (!readSome(20)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool inKeyMode(const termios& settings) { return (settings.c_lflag & (ECHO | ICANON)) == 0; }

bool sameMode(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}
