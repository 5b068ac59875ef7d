#include "tools/view/view_options.h"

#include <optional>
#include <string_view>
#include <utility>

#include "tools/common/dot_options.h"
#include "tools/common/example_source.h"
#include "tools/view/truth_table.h"

namespace {

enum Option : std::size_t { ascii, dot, table, test, strict, maxDepth, header, noHeader, classColumn };

constexpr ToolOption viewOptions[] = {{"ascii"},      {"dot"},    {"table", true}, {"test", true}, {"strict"},
                                      maxDepthOption, headerOption, noHeaderOption, classOption};

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

}  // namespace

ParsedViewArguments parseViewArguments(const std::vector<std::string>& args) {
  bool dot = false;
  bool table = false;
  bool test = false;
  bool depth = false;
  const auto take = [&](const GivenOption& given, ViewOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::ascii:
        options.ascii = true;
        break;
      case Option::dot:
        dot = true;
        break;
      case Option::strict:
        options.strict = true;
        break;
      case Option::maxDepth:
        depth = true;
        return takeMaxDepth(given, options.dotDepth);
      case Option::header:
      case Option::noHeader:
        return takeHeader(given.option == Option::header, options.dataOptions);
      case Option::classColumn:
        return takeClass(given, options.dataOptions);
      case Option::table: {
        const auto width = tableWidth(given.value);
        if (!width)
          return "invalid table width '" + given.value + "': give a number from " +
                 std::to_string(minTableWidth) + " to " + std::to_string(maxTableWidth);
        if (table && *width != options.tableWidth)
          return "--table=" + std::to_string(options.tableWidth) + " and --table=" + std::to_string(*width) +
                 " cannot be used together";
        table = true;
        options.tableWidth = *width;
        break;
      }
      case Option::test: {
        const std::string previous = options.data;
        if (auto error = takeFileName(given, "--test", options.data)) return error;
        if (test && options.data != previous)
          return "--test=" + previous + " and --test=" + options.data + " cannot be used together";
        test = true;
        break;
      }
    }
    return std::nullopt;
  };
  const auto finish = [&](const std::vector<std::string>& operands,
                          ViewOptions& options) -> std::optional<std::string> {
    // Each of these chooses what is printed (--ascii only how the drawing
    // looks), so no two go together.
    const std::pair<bool, const char*> modes[] = {
        {options.ascii, "--ascii"}, {dot, "--dot"}, {table, "--table"}, {test, "--test"}};
    const char* chosen = nullptr;
    for (const auto& [on, name] : modes) {
      if (!on) continue;
      if (chosen != nullptr) return std::string(chosen) + " and " + name + " cannot be used together";
      chosen = name;
    }
    if (depth && !dot) return std::string("--max-depth goes with --dot");
    if (!test && dataOptionsGiven(options.dataOptions))
      return "--header, --no-header and --class go with --test";
    if (operands.empty()) return "missing file operand";
    if (operands.size() > 1) return "extra operand '" + operands[1] + "'";
    if (test && options.data == "-" && operands[0] == "-")
      return "the data and the tree cannot both be read from standard input";
    options.mode = dot ? ViewMode::dot : table ? ViewMode::table : test ? ViewMode::test : ViewMode::drawing;
    options.file = operands[0];
    return std::nullopt;
  };
  return parseToolArguments<ViewOptions>(args, viewOptions, take, finish);
}
