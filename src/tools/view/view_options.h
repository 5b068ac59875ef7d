#pragma once

#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/data_options.h"
#include "tools/common/tree_dot.h"

enum class ViewMode { drawing, dot, table, test };

struct ViewOptions {
  ViewMode mode = ViewMode::drawing;
  bool ascii = false;
  bool strict = false;      // a line read leniently fails the run
  unsigned tableWidth = 0;  // set with ViewMode::table
  std::string file;         // "-" is standard input
  std::string data;         // the data file of ViewMode::test; "-" is standard input
  DataOptions dataOptions;  // how that file is read
  DotDepth dotDepth;        // how deep ViewMode::dot draws
};

using ParsedViewArguments = ParsedArguments<ViewOptions>;

// Reads the arguments after the program's name: --ascii, --dot with
// --max-depth N, --table N, --test DATA with --header, --no-header and
// --class N|NAME, --strict and one file.
ParsedViewArguments parseViewArguments(const std::vector<std::string>& args);
