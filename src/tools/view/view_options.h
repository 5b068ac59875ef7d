#pragma once

#include <string>
#include <vector>

enum class ViewMode { drawing, dot, table };

struct ViewOptions {
  ViewMode mode = ViewMode::drawing;
  bool ascii = false;
  bool strict = false;      // a line read leniently fails the run
  unsigned tableWidth = 0;  // set with ViewMode::table
  std::string file;         // "-" is standard input
};

enum class ViewRequest { view, help, version, usageError };

struct ParsedArguments {
  ViewRequest request = ViewRequest::usageError;
  ViewOptions options;
  std::string error;  // for a usage error: what was wrong, without the program's name
};

// Reads the arguments after the program's name the GNU way: long options may
// be shortened to any unambiguous prefix, "--table N" and "--table=N" are the
// same, "--" ends the options and a lone "-" is a file operand. The first of
// --help, --version or a wrong argument decides.
ParsedArguments parseViewArguments(const std::vector<std::string>& args);
