#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/data_options.h"

enum class ViewMode { drawing, dot, table, test };

struct ViewOptions {
  ViewMode mode = ViewMode::drawing;
  bool ascii = false;
  bool strict = false;      // a line read leniently fails the run
  unsigned tableWidth = 0;  // set with ViewMode::table
  std::string file;         // "-" is standard input
  std::string data;         // the data file of ViewMode::test; "-" is standard input
  DataOptions dataOptions;  // how that file is read
};

using ParsedViewArguments = ParsedArguments<ViewOptions>;

// Reads the arguments after the program's name: --ascii, --dot, --table N,
// --test DATA.csv, --strict and one file.
ParsedViewArguments parseViewArguments(const std::vector<std::string>& args);
