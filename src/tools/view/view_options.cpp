#include "tools/view/view_options.h"

#include <optional>
#include <string_view>
#include <utility>

#include "tools/common/example_source.h"
#include "tools/view/truth_table.h"
#include "tree/tree_file.h"

namespace {

enum Option : std::size_t { ascii, dot, table, test, strict };

constexpr ToolOption viewOptions[] = {{"ascii"}, {"dot"}, {"table", true}, {"test", true}, {"strict"}};

std::optional<unsigned> tableWidth(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  unsigned width = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    width = width * 10 + static_cast<unsigned>(c - '0');
  }
  if (width < minTableWidth || width > maxTableWidth) return std::nullopt;
  return width;
}

ParsedArguments usageError(std::string message) {
  ParsedArguments parsed;
  parsed.error = std::move(message);
  return parsed;
}

}  // namespace

ParsedArguments parseViewArguments(const std::vector<std::string>& args) {
  const CommandLine line = parseCommandLine(args, viewOptions);
  ParsedArguments parsed;
  parsed.request = line.request;
  parsed.error = line.error;
  if (line.request != CommandRequest::run) return parsed;
  bool dot = false;
  bool table = false;
  bool test = false;
  for (const GivenOption& given : line.options) {
    switch (given.option) {
      case Option::ascii:
        parsed.options.ascii = true;
        break;
      case Option::dot:
        dot = true;
        break;
      case Option::strict:
        parsed.options.strict = true;
        break;
      case Option::table: {
        const auto width = tableWidth(given.value);
        if (!width)
          return usageError("invalid table width '" + given.value + "': give a number from " +
                            std::to_string(minTableWidth) + " to " + std::to_string(maxTableWidth));
        if (table && *width != parsed.options.tableWidth)
          return usageError("--table=" + std::to_string(parsed.options.tableWidth) +
                            " and --table=" + std::to_string(*width) + " cannot be used together");
        table = true;
        parsed.options.tableWidth = *width;
        break;
      }
      case Option::test: {
        const std::string previous = parsed.options.data;
        if (const auto error = takeFileName(given, "--test", parsed.options.data)) return usageError(*error);
        if (test && parsed.options.data != previous)
          return usageError("--test=" + printable(previous) +
                            " and --test=" + printable(parsed.options.data) + " cannot be used together");
        test = true;
        break;
      }
    }
  }
  // Each of these chooses what is printed (--ascii only how the drawing
  // looks), so no two go together.
  const std::pair<bool, const char*> modes[] = {
      {parsed.options.ascii, "--ascii"}, {dot, "--dot"}, {table, "--table"}, {test, "--test"}};
  const char* chosen = nullptr;
  for (const auto& [on, name] : modes) {
    if (!on) continue;
    if (chosen != nullptr)
      return usageError(std::string(chosen) + " and " + name + " cannot be used together");
    chosen = name;
  }
  if (line.operands.empty()) return usageError("missing file operand");
  if (line.operands.size() > 1) return usageError("extra operand '" + line.operands[1] + "'");
  if (test && parsed.options.data == "-" && line.operands[0] == "-")
    return usageError("the data and the tree cannot both be read from standard input");
  parsed.options.mode = dot     ? ViewMode::dot
                        : table ? ViewMode::table
                        : test  ? ViewMode::test
                                : ViewMode::drawing;
  parsed.options.file = line.operands[0];
  return parsed;
}
