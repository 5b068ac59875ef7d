#pragma once

#include <iosfwd>
#include <string>

// The ways the companion programs (the viewer and the explainer) end, in
// the GNU manner: 0 for success, 1 for a failure that includes output that
// cannot be written, 2 for a wrong command line.
constexpr int programSucceeded = 0;
constexpr int programFailed = 1;
constexpr int programMisused = 2;

// Flushes `out`. Output that did not reach its file must not pass for
// success: then it says so on `err`, naming the cause when the failed write
// left one in errno (which the callers clear before they write), and
// answers `programFailed`; otherwise `status`.
int finishOutput(std::ostream& out, std::ostream& err, const char* program, int status);

// Writes `text` (the help or the version) and finishes with success.
int writeText(std::ostream& out, std::ostream& err, const char* program, const char* text);

// Says what was wrong with the command line and where help is, and answers
// `programMisused`.
int refuseCommandLine(std::ostream& err, const char* program, const std::string& error);
