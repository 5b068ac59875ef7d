#include "app/console.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "safety/file_access.h"
#include "safety/file_calls.h"
#include "safety/signals.h"

namespace {

constexpr int escapeCode = 27;

// The terminal as the program found it and in key mode. Read by the signal
// handlers, so written only while they are held back, or as one
// sig_atomic_t; all they call here is async-signal-safe.
volatile std::sig_atomic_t terminalFd = -1;
volatile std::sig_atomic_t keyModeOn = 0;
volatile std::sig_atomic_t continued = 0;
termios originalMode{};
termios keyMode{};

void setMode(const termios& mode) {
  while (terminalFd >= 0 && tcsetattr(terminalFd, TCSANOW, &mode) != 0 && errno == EINTR) {
  }
}

void restoreTerminal() { setMode(originalMode); }

// Only in the foreground: a program continued in the background leaves the
// terminal to the shell, and gets it back with the next continue.
void resumeKeyMode() {
  if (keyModeOn != 0 && terminalFd >= 0 && tcgetpgrp(terminalFd) == getpgrp()) setMode(keyMode);
}

// The screen is shown again by whoever waits for a key, not here: printed
// from a handler, the text could land inside output still on its way.
void resumeAfterContinue() {
  resumeKeyMode();
  continued = 1;
}

// Restores the terminal and stops watching it; from the background too,
// where changing a terminal would otherwise stop the program.
void releaseTerminal() {
  const SignalsHeld held;
  keyModeOn = 0;
  setMode(originalMode);
  terminalFd = -1;
  setConsoleTerminal(-1);
}

// Whether the program went on after a stop since the last call.
bool continuedSinceAsked() {
  const bool was = continued != 0;
  continued = 0;
  return was;
}

// The next byte of standard input, or EOF at its end or on an error; a
// read that a signal interrupted is made again.
int nextInputByte(std::FILE* in) {
  int byte = 0;
  while ((byte = std::getc(in)) == EOF && std::ferror(in) != 0 && errno == EINTR) std::clearerr(in);
  return byte;
}

// The next byte of the terminal, or -1 at its end or on an error.
int nextTerminalByte(Console& console) {
  const int pending = std::exchange(console.pending, -1);
  unsigned char byte = 0;
  ssize_t got = 0;
  while (pending < 0 && (got = read(console.terminal, &byte, 1)) < 0 && errno == EINTR) {
  }
  return pending >= 0 ? pending : got == 1 ? byte : -1;
}

// The byte after the first of a key, if one follows at once; a key's bytes
// arrive together, so a pause means the key has ended.
int followingByte(Console& console) {
  if (console.pending >= 0) return nextTerminalByte(console);
  pollfd ready{console.terminal, POLLIN, 0};
  int result = 0;
  while ((result = poll(&ready, 1, escapeWaitMs)) < 0 && errno == EINTR) {
  }
  return result > 0 ? nextTerminalByte(console) : -1;
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

// Consumes a control sequence after its ESC [, from `byte` on, however long:
// parameters and intermediates run from 0x20 to 0x3F, and the final byte
// lies from 0x40 to 0x7E. A byte that belongs to neither (ESC, say) is kept
// for the next key; a pause ends a garbled sequence.
void skipControlSequence(Console& console, int byte) {
  for (; byte >= 0x20 && byte <= 0x3F; byte = followingByte(console)) {
  }
  if (byte >= 0 && (byte < 0x40 || byte > 0x7E)) console.pending = byte;
}

// Consumes a string that a terminal sends on its own, such as its answer to
// a colour query, up to its terminator: BEL, or ESC and a backslash. A pause
// ends it too, so that Alt and ] (the same two bytes) is one key.
void skipControlString(Console& console) {
  bool afterEscape = false;
  for (;;) {
    const int byte = followingByte(console);
    if (byte < 0 || byte == '\a' || (afterEscape && byte == '\\')) return;
    afterEscape = byte == escapeCode;
  }
}

// The key that an Escape begins: Escape itself when nothing follows at once;
// else a control sequence, an operating-system command or a
// device-control, application or privacy string, a single-shift sequence,
// or an Alt-modified character, each read whole as one key.
int escapeKey(Console& console) {
  const int second = followingByte(console);
  switch (second) {
    case -1:
      return escapeCode;
    case escapeCode:
      // Escape twice: the first stands alone.
      console.pending = second;
      return escapeCode;
    case '[':
      skipControlSequence(console, followingByte(console));
      return sequenceKey;
    case 'O':
      followingByte(console);
      return sequenceKey;
    case ']':
    case 'P':
    case '_':
    case '^':
      skipControlString(console);
      return sequenceKey;
    default:
      if (second >= 0xC0) skipCharacterTail(console, second);
      return sequenceKey;
  }
}

void echo(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

// Waits until the terminal has a byte (or has gone). Each time the program
// goes on after a stop meanwhile, the screen holds the shell's lines rather
// than ours: `shownAgain`, and what was typed of a name, are printed again.
// SIGCONT is held until ppoll lets it in, so that a continue between the
// look at the flag and the wait cannot go unseen.
void awaitTerminal(Console& console, const char* shownAgain, const char* typed) {
  if (console.pending >= 0) return;
  sigset_t cont;
  sigemptyset(&cont);
  sigaddset(&cont, SIGCONT);
  sigset_t saved;
  sigprocmask(SIG_BLOCK, &cont, &saved);
  sigset_t waiting = saved;
  sigdelset(&waiting, SIGCONT);
  pollfd ready{console.terminal, POLLIN, 0};
  for (;;) {
    if (continuedSinceAsked() && shownAgain != nullptr) {
      std::fputs(shownAgain, stdout);
      echo(typed);
    }
    const int result = ppoll(&ready, 1, nullptr, &waiting);
    // An error is left for the read to find.
    if (result > 0 || (result < 0 && errno != EINTR)) break;
  }
  sigprocmask(SIG_SETMASK, &saved, nullptr);
}

// Erases the last character of the name, all of its bytes, from the name and
// from the screen.
void eraseCharacter(NameBuffer& name, std::size_t& length) {
  if (length == 0) return;
  do {
    --length;
  } while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80);
  name[length] = '\0';
  echo("\b \b");
}

bool readTerminalName(Console& console, const char* prompt, NameBuffer& name) {
  std::size_t length = 0;
  for (;;) {
    awaitTerminal(console, prompt, name);
    const int byte = nextTerminalByte(console);
    const int key = byte == escapeCode ? escapeKey(console) : byte;
    // Arrows and the like are no part of a name.
    if (byte == escapeCode && key == sequenceKey) continue;
    switch (key) {
      case '\r':
      case '\n':
        echo("\n");
        return true;
      case 4:  // Ctrl-D
        if (length > 0) break;
        [[fallthrough]];
      case -1:  // the terminal has gone
      case escapeCode:
        echo("\n");
        return false;
      case '\b':
      case 0x7F:
        eraseCharacter(name, length);
        break;
      case 0x15:  // Ctrl-U
        while (length > 0) eraseCharacter(name, length);
        break;
      case 0x17:  // Ctrl-W: the blanks before the cursor, then the word
        while (length > 0 && name[length - 1] == ' ') eraseCharacter(name, length);
        while (length > 0 && name[length - 1] != ' ') eraseCharacter(name, length);
        break;
      default:
        if (key < 0x20 || length == maxNameLength) break;
        name[length] = static_cast<char>(key);
        name[length + 1] = '\0';
        echo(name + length++);
        break;
    }
  }
}

bool readNameLine(std::FILE* in, NameBuffer& name) {
  std::size_t length = 0;
  bool refused = false;
  int byte = 0;
  while ((byte = nextInputByte(in)) != EOF && byte != '\n') {
    // A control character is a key gone astray into the line (an arrow,
    // Escape, a tab) rather than part of any name meant, and a NUL could not
    // reach the file system whole.
    if (length == maxNameLength || byte < 0x20 || byte == 0x7F) {
      refused = true;
    } else {
      name[length++] = static_cast<char>(byte);
    }
  }
  return !refused && (byte != EOF || length > 0);
}

}  // namespace

Console openConsole() {
  Console console;
  const int fd = openFile(AT_FDCWD, "/dev/tty", O_RDWR);
  termios original{};
  if (fd < 0 || isatty(fd) == 0 || tcgetattr(fd, &original) != 0) {
    if (fd >= 0) closeFile(fd);
    return console;
  }
  termios keys = original;
  // Each key as it is pressed, unseen: no line editing and no echo. Signal
  // keys (Ctrl-C, Ctrl-Z) and output processing stay as they were, so that
  // "\n" still starts a new line.
  keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  // Ctrl-S and Ctrl-Q are keys like any other: as flow control they would
  // freeze the screen while the keys pressed meanwhile act unseen.
  keys.c_iflag &= ~static_cast<tcflag_t>(IXON);
  // A read returns as soon as one byte is there.
  keys.c_cc[VMIN] = 1;
  keys.c_cc[VTIME] = 0;
  {
    const SignalsHeld held;
    originalMode = original;
    keyMode = keys;
    terminalFd = fd;
    keyModeOn = 1;
  }
  restoreOnEnding(restoreTerminal);
  restoreAroundStops(restoreTerminal, resumeKeyMode, resumeAfterContinue);
  static const bool atExit = std::atexit(releaseTerminal) == 0;
  static_cast<void>(atExit);
  setConsoleTerminal(fd);
  int set = 0;
  while ((set = tcsetattr(fd, TCSADRAIN, &keys)) != 0 && errno == EINTR) {
  }
  if (set != 0) {
    // Keys then come from standard input, as without a terminal.
    releaseTerminal();
    closeFile(fd);
    return console;
  }
  console.terminal = fd;
  return console;
}

void closeConsole(Console& console) {
  if (console.terminal >= 0) releaseTerminal();
}

int readKey(Console& console, const char* request, const char* shownAgain) {
  // A stop during the command needs no answer: the request follows. One
  // after this point does, even while the request is still being written.
  continuedSinceAsked();
  std::fputs(request, stdout);
  std::fflush(stdout);
  if (console.terminal < 0) {
    const int byte = nextInputByte(console.in);
    return byte == EOF ? 0 : byte;
  }
  awaitTerminal(console, shownAgain, "");
  const int first = nextTerminalByte(console);
  if (first < 0) return 0;
  if (first == escapeCode) return escapeKey(console);
  if (first >= 0xC0 && first < 0xF8) skipCharacterTail(console, first);
  return first;
}

bool readName(Console& console, const char* prompt, NameBuffer& name) {
  std::memset(name, 0, sizeof name);
  continuedSinceAsked();
  echo(prompt);
  return console.terminal >= 0 ? readTerminalName(console, prompt, name) : readNameLine(console.in, name);
}
