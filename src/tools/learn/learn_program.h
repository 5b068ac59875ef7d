#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-learn after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the data
// file "-". Answers the exit status (tools/common/program_output.h): data
// that cannot be read or used fail, and so do a tree that cannot be saved
// and output that cannot be written, which are reported.
int runLearn(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
             std::ostream& err);
