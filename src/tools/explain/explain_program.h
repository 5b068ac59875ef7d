#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/common/program_output.h"

// Exit statuses of treebench-explain.
constexpr int explainSucceeded = programSucceeded;
constexpr int explainFailed =
    programFailed;  // the examples cannot be read, the tree cannot be saved, or output failed
constexpr int explainMisused = programMisused;  // the command line is wrong

// The whole of treebench-explain after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the file
// "-". Learns a tree from the examples as the workbench learns it, writes
// why each node is what it is, then draws the tree as the viewer does.
// Answers the exit status. Output that cannot be written is reported and
// makes the run fail.
int runExplain(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
               std::ostream& err);
