#pragma once

#include <optional>

// The workbench is driven by keys alone; its command line holds nothing
// but --help and --version, answered as the GNU programs answer them: on
// standard output, with status 0, before anything else starts. Any other
// argument is refused on standard error with status 2. Answers nothing
// when the command line is empty, and the workbench is to start.
std::optional<int> answerArguments(int argc, char** argv);
