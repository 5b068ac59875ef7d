#pragma once

#include <cstddef>
#include <cstdio>

// The longest file name taken; a name's buffer holds it and its end.
inline constexpr std::size_t maxNameLength = 511;
using NameBuffer = char[maxNameLength + 1];

// Where keys and file names come from. With a controlling terminal, it is in
// key mode (no echo, no line editing) for the whole run: keys are read from
// it as they are pressed, and a file name is typed there key by key and
// echoed and edited by the program itself, so that a stop loses nothing of
// it and keys typed ahead of its Enter stay keys. Without one, keys and names
// are the bytes of `in`, so that a script can drive the program.
struct Console {
  std::FILE* in = stdin;
  int terminal = -1;  // the controlling terminal, or -1 when there is none
  int pending = -1;   // a byte read ahead of its key, or -1
};

// The code that an escape sequence (an arrow or function key, a terminal's
// report) reads as: one key that is no command, the 8-bit control sequence
// introducer.
inline constexpr int sequenceKey = 0x9B;

// How long a lone Escape, or any key's next byte, is waited for, in
// milliseconds. A key's bytes arrive together, so a pause ends the key.
inline constexpr int escapeWaitMs = 40;

// Opens the controlling terminal and puts it into key mode, with every way
// out (return, exit, a signal) restoring it. Without a controlling terminal,
// or where key mode cannot be entered, the console reads standard input.
Console openConsole();
void closeConsole(Console& console);

// Prints `request` (the prompt or a menu, or nothing), then waits for one
// key. Answers 0 at the end of input or on a read error, which ends the
// command loop. When the program is stopped (Ctrl-Z) after the request and
// then continued, `shownAgain` is printed, so that the user sees what the
// key is awaited for; it may be null.
int readKey(Console& console, const char* request, const char* shownAgain);

// Prints `prompt`, then reads a file name into `name` (NUL-ended), blanks
// kept, leading and trailing ones too. Answers false for no name.
//
// At a terminal the name is echoed and ends with Enter. Backspace, Ctrl-U
// and Ctrl-W erase a character, the whole name and the last word; escape
// sequences and other control keys are dropped; at most 511 bytes are taken. Escape, or Ctrl-D on an empty name,
// gives the name up. After a stop the prompt is shown again with what was
// typed so far.
//
// Without a terminal the name is one line of `in` without its line end,
// refused when it is longer than 511 bytes (the line is consumed whole all
// the same) or holds a control character, such as a stray Escape, arrow key
// or tab; no name at the end of input.
bool readName(Console& console, const char* prompt, NameBuffer& name);
