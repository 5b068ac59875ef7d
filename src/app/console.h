#pragma once

#include <cstdio>
#include <optional>
#include <string>

// Where keys and file names come from. With a terminal, keys are read from
// it in key mode (no echo, no line buffering) and names from the descriptor
// of `in` in the terminal's normal mode, a byte at a time, so that keys
// typed ahead of a name's line end are left for the keys. Without one, keys
// are the bytes of `in`, read through the same buffered stream as the names,
// so that a script can drive the program.
struct Console {
  std::FILE* in = stdin;
  int terminal = -1;  // the controlling terminal, or -1 when there is none
  int pending = -1;   // a byte read ahead of its key, or -1
};

// The longest file name taken; a longer line is refused whole.
inline constexpr std::size_t maxNameLength = 511;

// The code that an escape sequence (an arrow or function key, a terminal's
// report) reads as: one key that is no command, the 8-bit control sequence
// introducer.
inline constexpr int sequenceKey = 0x9B;

// How long a lone Escape, or any key's next byte, is waited for, in
// milliseconds. A key's bytes arrive together, so a pause ends the key.
inline constexpr int escapeWaitMs = 40;

// Opens the controlling terminal and enters key mode, arranging that every
// way out (return, exit, a terminating signal) restores it. Without a
// controlling terminal, or where key mode cannot be entered, the console
// reads standard input.
Console openConsole();
void closeConsole(Console& console);

// Prints `request` (the prompt or a menu, or nothing), flushes standard
// output, then waits for one key. Answers 0 at the end of input or on a
// read error, which ends the command loop. When the program is stopped
// (Ctrl-Z) after the request and then continued, `shownAgain` is printed,
// so that the user sees what the key is awaited for; it may be null.
int readKey(Console& console, const char* request, const char* shownAgain);

// Flushes standard output, then reads one line as a file name, without its
// line end. No name for an overlong line (which is consumed whole), a line
// holding a control character (a stray Escape, arrow key or tab; NUL
// included), or the end of input. Blanks are kept, leading and trailing ones
// too.
std::optional<std::string> readName(Console& console);
