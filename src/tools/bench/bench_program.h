#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-bench after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the file
// "-". Fills a learner from the examples, learns from them the number of
// times asked, and writes one line of figures to `out`. Answers the exit
// status (tools/common/program_output.h): examples that cannot be read, a
// learn that fails, memory that runs out, a tree or examples that cannot be
// saved fail, and so does output that cannot be written, which is reported.
int runBench(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
             std::ostream& err);
