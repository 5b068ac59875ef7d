// The tools' one reader of command lines, over getopt_long. Each tool's own
// test checks only what its options mean.
#include "tools/common/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr ToolOption options[] = {
    {"ascii"}, {"table", true}, {"generate", true, "a count after the code"}, {"seed", true}, {"save", true}};

// The parse in brief: "help", "version", the error, or "run", each option
// as --NAME=VALUE (and its follower) and, after a "|", the operands.
std::string parsed(const std::vector<std::string>& args) {
  const CommandLine line = parseCommandLine(args, options);
  switch (line.request) {
    case CommandRequest::help:
      return "help";
    case CommandRequest::version:
      return "version";
    case CommandRequest::misuse:
      return line.error;
    case CommandRequest::run:
      break;
  }
  std::string text = "run";
  for (const GivenOption& given : line.options) {
    text += std::string(" --") + options[given.option].name;
    if (options[given.option].takesValue) text += "=" + given.value;
    if (!given.follower.empty()) text += " " + given.follower;
  }
  text += " |";
  for (const std::string& operand : line.operands) text += " " + operand;
  return text;
}

}  // namespace

// One after another in one process, as the tests run the tools.
TEST(CommandLine, ReadsTheArgumentsAsGetoptLongDoes) {
  const struct {
    std::vector<std::string> args;
    const char* parse;
  } cases[] = {
      {{"--table=2", "a.txt", "--as"}, "run --table=2 --ascii | a.txt"},
      {{"--tab", "2", "-", "--", "--ascii", "-x"}, "run --table=2 | - --ascii -x"},
      {{"--generate", "|", "-1", "--seed=3", ""}, "run --generate=| -1 --seed=3 | "},
      {{"--save="}, "run --save= |"},
      {{"--help", "--colour"}, "help"},
      {{"a.txt", "--table", "x", "--he", "--colour"}, "help"},
      {{"--version", "--help"}, "version"},
      {{"--colour", "--help"}, "unrecognized option '--colour'"},
      {{"--colour=red"}, "unrecognized option '--colour=red'"},
      {{"--s=3"}, "option '--s=3' is ambiguous; possibilities: '--seed' '--save'"},
      {{"-x", "a.txt"}, "invalid option -- 'x'"},
      {{"a.txt", "--table"}, "option '--table' requires an argument"},
      {{"--ascii=yes"}, "option '--ascii' doesn't allow an argument"},
      {{"--help=all"}, "option '--help' doesn't allow an argument"},
      {{"--generate", "|"}, "option '--generate' requires a count after the code"},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed(c.args), c.parse) << c.args.size();
}

TEST(CommandLine, TakesAWholeNumberInItsRangeOnly) {
  EXPECT_EQ(wholeNumber("4294967295", 0, 4294967295), 4294967295U);
  EXPECT_EQ(wholeNumber("007", 1, 7), 7U);
  for (const char* text : {"", " 1", "+1", "-1", "1x", "0", "8", "18446744073709551616"})
    EXPECT_EQ(wholeNumber(text, 1, 7), std::nullopt) << text;
}
