#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-curve after the process entry: `args` are the
// arguments after the program's name. Replays workbench sessions and
// writes their learning curve. Answers the exit status
// (tools/common/program_output.h): output that cannot be written fails and
// is reported.
int runCurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
