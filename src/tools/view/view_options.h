#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"

enum class ViewMode { drawing, dot, table, test };

struct ViewOptions {
  ViewMode mode = ViewMode::drawing;
  bool ascii = false;
  bool strict = false;      // a line read leniently fails the run
  unsigned tableWidth = 0;  // set with ViewMode::table
  std::string file;         // "-" is standard input
  std::string data;         // the CSV file of ViewMode::test; "-" is standard input
};

struct ParsedArguments {
  CommandRequest request = CommandRequest::misuse;
  ViewOptions options;
  std::string error;  // for misuse: what was wrong, without the program's name
};

// Reads the arguments after the program's name: --ascii, --dot, --table N,
// --test DATA.csv, --strict and one file.
ParsedArguments parseViewArguments(const std::vector<std::string>& args);
