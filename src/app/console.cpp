#include "app/console.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

// Shared with the signal handlers, so kept at file scope and written only
// with values a handler may read at any moment.
int terminalFd = -1;
termios original{};
termios keyMode{};
volatile std::sig_atomic_t originalSaved = 0;
volatile std::sig_atomic_t inKeyMode = 0;
// Each continue in key mode puts a byte into this pipe, which the wait for a
// key watches beside the terminal; both ends do not block.
int continued[2] = {-1, -1};

// Async-signal-safe, as everything the handlers below call: tcsetattr,
// sigaction, sigprocmask, raise and write are, and nothing here allocates
// or locks.
bool setMode(int when, const termios& mode) {
  while (tcsetattr(terminalFd, when, &mode) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

void restoreOriginalMode() {
  // In a handler or at exit there is nothing left to do if it fails.
  if (originalSaved != 0 && terminalFd >= 0) setMode(TCSANOW, original);
}

void restoreAtExit() {
  restoreOriginalMode();
  inKeyMode = 0;
}

bool enterKeyMode(const Console& console) {
  if (console.terminal < 0) return true;
  if (!setMode(TCSADRAIN, keyMode)) return false;
  inKeyMode = 1;
  return true;
}

void leaveKeyMode(const Console& console) {
  if (console.terminal < 0) return;
  // Cleared first, so that a continue signal arriving meanwhile does not
  // put key mode back. Kept where the terminal refused: it is still in key
  // mode, and a name can be read there too, only unseen.
  inKeyMode = 0;
  if (!setMode(TCSADRAIN, original)) inKeyMode = 1;
}

void setHandler(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

// The handlers restore the terminal themselves instead of recording the
// signal for the loop to act on: the loop may be inside a learn that runs
// for minutes, or in a read that is restarted after the handler, and would
// see the record too late. A terminating signal must end the program at
// once and by that signal, so that the exit status tells the truth; and
// tcsetattr may be called from a handler.

// Restores the terminal, then lets the signal do what it would have done.
void onTerminatingSignal(int signal) {
  const int savedErrno = errno;
  restoreOriginalMode();
  setHandler(signal, SIG_DFL);
  std::raise(signal);
  errno = savedErrno;
}

void onStop(int signal) {
  const int savedErrno = errno;
  restoreOriginalMode();
  setHandler(signal, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signal);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  std::raise(signal);
  // Running again, after a stop or after the system discarded it (as it does
  // for a process group that no shell controls). Only a real stop is
  // followed by SIGCONT, whose handler tells the wait for a key.
  setHandler(signal, onStop);
  if (inKeyMode != 0) setMode(TCSANOW, keyMode);
  errno = savedErrno;
}

// The screen is shown again by the wait for a key, not here: printed from
// a handler, the text could land inside output still on its way. A name is
// not asked for again (no key mode then), since the terminal still holds
// what was typed of it.
void onContinue(int) {
  const int savedErrno = errno;
  if (inKeyMode != 0 && terminalFd >= 0) {
    setMode(TCSANOW, keyMode);
    const char byte = 0;
    // A full pipe already says as much.
    [[maybe_unused]] const ssize_t wrote = write(continued[1], &byte, 1);
  }
  errno = savedErrno;
}

// Leaves a signal alone when it was ignored at start, as under nohup.
void install(int signal, void (*handler)(int)) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  setHandler(signal, handler);
}

void installSignalHandlers() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) install(signal, onTerminatingSignal);
  install(SIGTSTP, onStop);
  install(SIGCONT, onContinue);
}

// One byte from a descriptor, or -1 at its end or on an error.
int readByte(int fd) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t got = read(fd, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && errno == EINTR) continue;
    return -1;
  }
}

// Whether a byte arrives within `ms` milliseconds.
bool byteFollows(int fd, int ms) {
  pollfd ready{fd, POLLIN, 0};
  for (;;) {
    const int result = poll(&ready, 1, ms);
    if (result < 0 && errno == EINTR) continue;
    return result > 0;
  }
}

void forgetContinues() {
  char bytes[64];
  while (read(continued[0], bytes, sizeof bytes) > 0) {
  }
}

// Waits until the terminal has a byte (or has gone), printing `shownAgain`
// each time the program goes on after a stop meanwhile: the screen then
// holds the shell's lines, not ours.
void awaitTerminal(const Console& console, const char* shownAgain) {
  pollfd ready[2] = {{console.terminal, POLLIN, 0}, {continued[0], POLLIN, 0}};
  for (;;) {
    if (poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if ((ready[1].revents & POLLIN) != 0) {
      forgetContinues();
      if (shownAgain != nullptr) {
        std::fputs(shownAgain, stdout);
        std::fflush(stdout);
      }
    }
    if (ready[0].revents != 0) return;
  }
}

int nextTerminalByte(Console& console) {
  if (console.pending >= 0) {
    const int byte = console.pending;
    console.pending = -1;
    return byte;
  }
  return readByte(console.terminal);
}

// The byte after the first of a key, if one follows at once; a key's bytes
// arrive together, so a pause means the key has ended.
int followingByte(Console& console) {
  if (console.pending < 0 && !byteFollows(console.terminal, escapeWaitMs)) return -1;
  return nextTerminalByte(console);
}

// Consumes the continuation bytes of a UTF-8 character, so that one
// character is one key. A byte that does not continue it is kept for the
// next key.
void skipCharacterTail(Console& console, int lead) {
  const int tail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  for (int i = 0; i < tail; ++i) {
    const int byte = followingByte(console);
    if (byte < 0) return;
    if ((byte & 0xC0) != 0x80) {
      console.pending = byte;
      return;
    }
  }
}

// Consumes a control sequence after its ESC [, however long: parameters and
// intermediates run from 0x20 to 0x3F, and the final byte lies from 0x40 to
// 0x7E. A byte that belongs to neither (ESC, say) is kept for the next key;
// a pause ends a garbled sequence.
void skipControlSequence(Console& console) {
  for (;;) {
    const int byte = followingByte(console);
    if (byte < 0 || (byte >= 0x40 && byte <= 0x7E)) return;
    if (byte < 0x20 || byte > 0x3F) {
      console.pending = byte;
      return;
    }
  }
}

// Consumes a string that a terminal sends on its own, such as its answer to
// a colour query, up to its terminator: BEL, or ESC and a backslash. A pause
// ends it too, so that Alt and ] (the same two bytes) is one key.
void skipControlString(Console& console) {
  bool afterEscape = false;
  for (;;) {
    const int byte = followingByte(console);
    if (byte < 0 || byte == '\a' || (afterEscape && byte == '\\')) return;
    afterEscape = byte == 27;
  }
}

// Consumes what follows an Escape that is part of a longer key: a control
// sequence, an operating-system command or a device-control, application
// or privacy string, a single-shift sequence, or the one character of an
// Alt-modified key.
void skipSequence(Console& console, int second) {
  switch (second) {
    case '[':
      skipControlSequence(console);
      return;
    case ']':
    case 'P':
    case '_':
    case '^':
      skipControlString(console);
      return;
    case 'O':
      followingByte(console);
      return;
    default:
      if (second >= 0xC0) skipCharacterTail(console, second);
      return;
  }
}

int readTerminalKey(Console& console, const char* shownAgain) {
  if (console.pending < 0) awaitTerminal(console, shownAgain);
  const int first = nextTerminalByte(console);
  if (first < 0) return 0;
  if (first == 27) {
    const int second = followingByte(console);
    if (second < 0) return 27;
    if (second == 27) {
      // Escape twice: the first stands alone.
      console.pending = second;
      return 27;
    }
    skipSequence(console, second);
    return sequenceKey;
  }
  if (first >= 0xC0 && first < 0xF8) skipCharacterTail(console, first);
  return first;
}

// A control character in a name is a key gone astray into the line (an
// arrow, Escape, a tab) rather than part of any name meant, and a NUL could
// not reach the file system whole.
bool holdsControlCharacter(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// One line from `nextByte` (a byte, or -1 at the end), as `readName` takes
// it.
template <typename NextByte>
std::optional<std::string> readNameLine(NextByte nextByte) {
  std::string name;
  bool tooLong = false;
  int byte = 0;
  while ((byte = nextByte()) >= 0 && byte != '\n') {
    if (name.size() < maxNameLength) {
      name.push_back(static_cast<char>(byte));
    } else {
      tooLong = true;
    }
  }
  if (tooLong || holdsControlCharacter(name) || (byte < 0 && name.empty())) return std::nullopt;
  return name;
}

}  // namespace

Console openConsole() {
  Console console;
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return console;
  termios settings{};
  if (!isatty(fd) || tcgetattr(fd, &settings) != 0) {
    close(fd);
    return console;
  }
  original = settings;
  keyMode = settings;
  // Each key as it is pressed, unseen: no line editing and no echo. Signal
  // keys (Ctrl-C, Ctrl-Z) and output processing stay as they were, so that
  // "\n" still starts a new line.
  keyMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  // Ctrl-S and Ctrl-Q are keys like any other: as flow control they would
  // freeze the screen while the keys pressed meanwhile act unseen.
  keyMode.c_iflag &= ~static_cast<tcflag_t>(IXON);
  // A read returns as soon as one byte is there.
  keyMode.c_cc[VMIN] = 1;
  keyMode.c_cc[VTIME] = 0;
  terminalFd = fd;
  originalSaved = 1;
  console.terminal = fd;
  // Without the pipe the screen is not shown again after a stop; nothing
  // else changes.
  if (pipe2(continued, O_CLOEXEC | O_NONBLOCK) != 0) continued[0] = continued[1] = -1;
  std::atexit(restoreAtExit);
  installSignalHandlers();
  if (!enterKeyMode(console)) {
    // Keys then come from standard input, as without a terminal.
    originalSaved = 0;
    close(fd);
    terminalFd = -1;
    console.terminal = -1;
  }
  return console;
}

void closeConsole(Console& console) { leaveKeyMode(console); }

int readKey(Console& console, const char* request, const char* shownAgain) {
  // A stop during the command needs no answer: the request follows. One
  // after this point does, even while the request is still being written.
  if (console.terminal >= 0) forgetContinues();
  std::fputs(request, stdout);
  std::fflush(stdout);
  if (console.terminal < 0) {
    const int byte = std::getc(console.in);
    return byte == EOF ? 0 : byte;
  }
  return readTerminalKey(console, shownAgain);
}

std::optional<std::string> readName(Console& console) {
  if (console.terminal < 0) {
    std::fflush(stdout);
    return readNameLine([&console] {
      const int byte = std::getc(console.in);
      return byte == EOF ? -1 : byte;
    });
  }
  // The user sees and can edit the name in the terminal's own line mode.
  // It is read a byte at a time: a buffered read would take the keys typed
  // after the line end with it, away from the key reader. At a terminal the
  // end of input is one Ctrl-D, not the end of the session, and leaves
  // nothing behind that would end the next name too.
  leaveKeyMode(console);
  std::fflush(stdout);
  const int fd = fileno(console.in);
  auto name = readNameLine([fd] { return readByte(fd); });
  // Where the terminal refuses, keys are read in its line mode: clumsier,
  // but every key still arrives.
  enterKeyMode(console);
  return name;
}
