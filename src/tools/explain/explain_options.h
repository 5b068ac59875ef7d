#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ExplainOptions {
  std::string csv;   // "-" is standard input; empty with --generate
  char fitness = 0;  // the concept of --generate, or 0
  std::size_t count = 0;
  unsigned seed = 1;
  std::string save;  // where the tree goes, or empty
};

enum class ExplainRequest { explain, help, version, usageError };

struct ParsedExplainArguments {
  ExplainRequest request = ExplainRequest::usageError;
  ExplainOptions options;
  std::string error;  // for a usage error: what was wrong, without the program's name
};

// Reads the arguments after the program's name the GNU way, as the viewer
// does: long options may be shortened to any unambiguous prefix, a value
// follows as the next argument or after "=", "--" ends the options and a
// lone "-" is a file operand. "--generate CODE N" takes the count as the
// argument after the code. The first of --help, --version or a wrong
// argument decides.
ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args);
