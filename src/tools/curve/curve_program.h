#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-curve after the process entry: `args` are the
// arguments after the program's name. Replays workbench sessions and
// writes their learning curve. Answers the exit status
// (tools/common/program_output.h): output that cannot be written fails and
// is reported. The text chart fits `terminalWidth` columns, where it is
// known (not 0).
int runCurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             std::size_t terminalWidth = 0);

// The width of the terminal that `fd` writes to, as COLUMNS (`columns`,
// which may be null) gives it or else the terminal itself; 0 where neither
// tells.
std::size_t terminalWidth(int fd, const char* columns);
