#pragma once

#include <string>
#include <string_view>

// `text` as a message may show it on a terminal: every byte that does not
// print (a control character, a byte beyond ASCII) as \x and two hex
// digits. The tools pass every file name, operand and quoted line of their
// messages through it, so that no byte read from a user or a file can
// steer the terminal.
std::string printable(std::string_view text);
