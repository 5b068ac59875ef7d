#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tools/explain/explain_program.h"

// A run of the explainer inside the test, with `input` as its standard input.
struct Explained {
  int status = -1;
  std::string out;
  std::string err;
};

inline Explained explain(const std::vector<std::string>& args, const std::string& input = "") {
  std::FILE* in = std::tmpfile();
  std::fputs(input.c_str(), in);
  std::rewind(in);
  std::ostringstream out;
  std::ostringstream err;
  Explained run;
  run.status = runExplain(args, in, out, err);
  std::fclose(in);
  run.out = out.str();
  run.err = err.str();
  return run;
}
