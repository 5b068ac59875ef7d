#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "tools/common/command_line.h"

// The ways every tool ends, in the GNU manner: 0 for success, 1 for a
// failure that includes output that cannot be written, 2 for a wrong
// command line.
constexpr int programSucceeded = 0;
constexpr int programFailed = 1;
constexpr int programMisused = 2;

// What a tool says of itself.
struct ToolTexts {
  const char* name;     // "treebench-view"
  const char* help;     // the whole of --help
  const char* version;  // the whole of --version
};

// Flushes `out`. Output that did not reach its file must not pass for
// success: then it says "PROGRAM: write error: CAUSE" on `err`, naming the
// cause when the failed write left one in errno (which the callers clear
// before they write), and answers `programFailed`; otherwise `status`.
int finishOutput(std::ostream& out, std::ostream& err, const char* program, int status);

// Stores the whole `text` as the file `name` through the workbench's own
// saving, so that a failure keeps the old file; then it says
// "PROGRAM: NAME: cannot write: CAUSE" on `err` and answers false. Every
// file a tool writes goes through here.
bool saveOutput(const std::string& name, std::string_view text, const char* program, std::ostream& err);

// Says what was wrong with the command line, every byte that does not
// print escaped, and where help is, and answers `programMisused`.
int refuseCommandLine(std::ostream& err, const char* program, const std::string& error);

// Answers --help and --version on `out` and a wrong command line on `err`,
// as every tool does, with the status to end with; nothing for a request
// to run.
std::optional<int> answerCommandLine(CommandRequest request, const std::string& error, const ToolTexts& tool,
                                     std::ostream& out, std::ostream& err);
