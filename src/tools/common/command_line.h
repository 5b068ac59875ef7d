#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The command lines of the tools, read with glibc's getopt_long as the GNU
// tools read theirs: long options only, each shortened to any unambiguous
// prefix, a value given as "--opt=V" or "--opt V", "--" ending the options
// and a lone "-" an operand. Every tool also takes --help and --version.

// A long option of a tool.
struct ToolOption {
  const char* name;
  bool takesValue = false;
  // What the argument after the value must be, for the message when it is
  // missing ("a count after the code"); null when the value stands alone.
  const char* follower = nullptr;
};

// An option as given: its place in the tool's table, its value, and the
// argument after the value for an option that has a follower.
struct GivenOption {
  std::size_t option = 0;
  std::string value;
  std::string follower;
};

enum class CommandRequest { run, help, version, misuse };

struct CommandLine {
  CommandRequest request = CommandRequest::misuse;
  std::vector<GivenOption> options;  // in the order given
  std::vector<std::string> operands;
  std::string error;  // for misuse: what was wrong, without the program's name
};

// Reads `args`, the arguments after the program's name, against `options`.
// The first of --help, --version or an option that getopt_long refuses
// decides; what the values mean is for the tool to judge afterwards. May be
// called any number of times in one process, but not from two threads at
// once: getopt_long keeps its state in globals.
CommandLine parseCommandLine(const std::vector<std::string>& args, std::span<const ToolOption> options);

// The number that `text` is, when it is all decimal digits and from `least`
// to `most`.
std::optional<unsigned long long> wholeNumber(const char* text, unsigned long long least,
                                              unsigned long long most);

// "bad WHAT 'TEXT': give a number from LEAST to MOST", for a number that
// `wholeNumber` refused.
std::string badNumber(const char* what, const std::string& text, unsigned long long least,
                      unsigned long long most);
