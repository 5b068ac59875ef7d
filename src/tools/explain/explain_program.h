#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

// The whole of treebench-explain after the process entry: `args` are the
// arguments after the program's name, `standardInput` is read for the file
// "-". Learns a tree from the examples as the workbench learns it, writes
// why each node is what it is, then draws the tree as the viewer does.
// Answers the exit status (tools/common/program_output.h): examples that
// cannot be read and a tree that cannot be saved fail, and so does output
// that cannot be written, which is reported.
int runExplain(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
               std::ostream& err);
