#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/data_options.h"

// Where the examples of the explainer and the bench tool come from: the
// rows of a CSV file, or N examples drawn as the workbench draws them for a
// concept. Both tools take the same options for it.
struct ExampleSource {
  std::string csv;   // "-" is standard input; empty with --generate
  char fitness = 0;  // the concept of --generate, or 0
  std::size_t count = 0;
  unsigned seed = 1;
  DataOptions data;  // how the file is read
};

constexpr ToolOption generateOption{"generate", true, "a count after the code"};
constexpr ToolOption seedOption{"seed", true};

// Each takes what an option or the operands say into `source`, and answers
// what is wrong with it, or nothing.
std::optional<std::string> takeGenerate(const GivenOption& given, ExampleSource& source);
std::optional<std::string> takeSeed(const GivenOption& given, ExampleSource& source);
// After every option: one data file, or none with --generate; `seeded` when
// --seed was given, which goes with --generate only, as the options of
// reading a file go with a file only.
std::optional<std::string> takeOperands(const std::vector<std::string>& operands, bool seeded,
                                        ExampleSource& source);
// The value of a file name option such as --save, which may not be empty.
std::optional<std::string> takeFileName(const GivenOption& given, const char* option, std::string& name);
