#include "app/console.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "safety/signals.h"

namespace {

constexpr int escapeCode = 27;

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
void awaitTerminal(Console& console, const char* shownAgain, const char* typed) {
  if (console.pending >= 0) return;
  while (!awaitInputOrContinue(console.terminal)) {
    if (shownAgain == nullptr) continue;
    std::fputs(shownAgain, stdout);
    echo(typed);
  }
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
  while ((byte = std::getc(in)) != EOF && byte != '\n') {
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
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return console;
  termios original{};
  if (isatty(fd) == 0 || tcgetattr(fd, &original) != 0) {
    close(fd);
    return console;
  }
  termios keyMode = original;
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
  watchTerminal(fd, original, keyMode);
  int set = 0;
  while ((set = tcsetattr(fd, TCSADRAIN, &keyMode)) != 0 && errno == EINTR) {
  }
  if (set != 0) {
    // Keys then come from standard input, as without a terminal.
    releaseTerminal();
    close(fd);
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
    const int byte = std::getc(console.in);
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
