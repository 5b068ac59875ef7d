#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
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

// What a tool's arguments ask for: a run with `options`, its help or its
// version, or a misuse that `error` names.
template <typename Options>
struct ParsedArguments {
  CommandRequest request = CommandRequest::misuse;
  Options options;
  std::string error;  // for misuse: what was wrong, without the program's name
};

// Reads `args` against `table`, then hands each option given, in order, to
// `take(given, options)` and the operands to `finish(operands, options)`.
// The first message either answers makes the arguments a misuse.
template <typename Options, typename Take, typename Finish>
ParsedArguments<Options> parseToolArguments(const std::vector<std::string>& args,
                                            std::span<const ToolOption> table, Take take, Finish finish) {
  const CommandLine line = parseCommandLine(args, table);
  ParsedArguments<Options> parsed{line.request, {}, line.error};
  if (line.request != CommandRequest::run) return parsed;
  std::optional<std::string> error;
  for (std::size_t at = 0; at < line.options.size() && !error; ++at)
    error = take(line.options[at], parsed.options);
  if (!error) error = finish(line.operands, parsed.options);
  if (error) {
    parsed.request = CommandRequest::misuse;
    parsed.error = std::move(*error);
  }
  return parsed;
}

// The number that `text` is, when it is all decimal digits and from `least`
// to `most`.
std::optional<unsigned long long> wholeNumber(const char* text, unsigned long long least,
                                              unsigned long long most);

// "bad WHAT 'TEXT': give a number from LEAST to MOST", for a number that
// `wholeNumber` refused.
std::string badNumber(const char* what, const std::string& text, unsigned long long least,
                      unsigned long long most);
