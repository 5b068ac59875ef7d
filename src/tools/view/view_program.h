#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-view after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the file
// "-". Answers the exit status (tools/common/program_output.h): a file that
// cannot be read or holds no complete tree fails, and so does output that
// cannot be written, which is reported.
int runViewer(const std::vector<std::string>& args, std::istream& standardInput, std::ostream& out,
              std::ostream& err);
