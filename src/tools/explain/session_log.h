#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "tools/common/dataset.h"

// The training set of one learn of a recorded workbench session, rebuilt
// from what the session printed: the workbench keeps its examples only until
// a learn, but every example it made stands on a line of its output.
struct SessionLearn {
  std::size_t number = 0;  // among all the learns of the log, from 1
  std::size_t line = 0;    // the line of its "..."
  char fitness = 0;        // the concept of its examples
  Dataset data;            // the examples in the order they were made, each row's line in `lines`
};

// Why a log was refused: the line (from 1; 0 for the log as a whole) and
// what was wrong.
struct SessionLogError {
  std::size_t line = 0;
  std::string reason;
};

// Reads a log of the workbench's standard output (through a pipe, or at a
// terminal with the names it echoes and CRLF line ends) and answers the
// examples of its learn number `learn`, or of the last learn that had
// examples when `learn` is 0. Throws SessionLogError.
SessionLearn readSessionLog(std::FILE* file, std::size_t learn);

// Reads the log `name`, or `standardInput` for the name "-". Answers
// nothing, or why it was refused: "NAME: REASON" or "NAME:LINE: REASON".
std::optional<std::string> loadSessionLog(const std::string& name, std::FILE* standardInput,
                                          std::size_t learn, SessionLearn& into);
