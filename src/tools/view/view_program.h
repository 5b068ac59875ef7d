#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Exit statuses of treebench-view.
constexpr int viewSucceeded = 0;
constexpr int viewFailed = 1;   // the file cannot be read or holds no complete tree, or output failed
constexpr int viewMisused = 2;  // the command line is wrong

// The whole of treebench-view after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the file
// "-". Answers the exit status. Output that cannot be written is reported and
// makes the run fail.
int runViewer(const std::vector<std::string>& args, std::istream& standardInput, std::ostream& out,
              std::ostream& err);
