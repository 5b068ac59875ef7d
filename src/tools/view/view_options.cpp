#include "tools/view/view_options.h"

#include <optional>
#include <string_view>

#include "tools/view/truth_table.h"

namespace {

enum class Option { ascii, dot, table, strict, help, version };

struct LongOption {
  std::string_view name;
  Option option;
  bool takesValue;
};

constexpr LongOption longOptions[] = {
    {"ascii", Option::ascii, false},   {"dot", Option::dot, false},   {"table", Option::table, true},
    {"strict", Option::strict, false}, {"help", Option::help, false}, {"version", Option::version, false},
};

// The option whose name is `name` or, failing that, the only one it begins.
const LongOption* findOption(std::string_view name, bool& ambiguous) {
  const LongOption* found = nullptr;
  ambiguous = false;
  if (name.empty()) return nullptr;
  for (const LongOption& o : longOptions) {
    if (o.name == name) return &o;
    if (o.name.substr(0, name.size()) == name) {
      if (found != nullptr) ambiguous = true;
      found = &o;
    }
  }
  return ambiguous ? nullptr : found;
}

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
  parsed.request = ViewRequest::usageError;
  parsed.error = std::move(message);
  return parsed;
}

}  // namespace

ParsedArguments parseViewArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  std::vector<std::string> files;
  bool dot = false;
  bool table = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      files.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg.substr(0, 2) != "--")
      return usageError("invalid option -- '" + std::string(arg.substr(1, 1)) + "'");
    const std::string_view body = arg.substr(2);
    const std::size_t equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    bool ambiguous = false;
    const LongOption* option = findOption(name, ambiguous);
    if (ambiguous) return usageError("option '" + std::string(arg) + "' is ambiguous");
    if (option == nullptr) return usageError("unrecognized option '" + std::string(arg) + "'");
    const std::string fullName = "--" + std::string(option->name);
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!option->takesValue) return usageError("option '" + fullName + "' doesn't allow an argument");
      value = body.substr(equals + 1);
    } else if (option->takesValue) {
      if (i + 1 == args.size()) return usageError("option '" + fullName + "' requires an argument");
      value = args[++i];
    }
    switch (option->option) {
      case Option::help:
        parsed.request = ViewRequest::help;
        return parsed;
      case Option::version:
        parsed.request = ViewRequest::version;
        return parsed;
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
        const auto width = tableWidth(value);
        if (!width)
          return usageError("invalid table width '" + std::string(value) + "': give a number from " +
                            std::to_string(minTableWidth) + " to " + std::to_string(maxTableWidth));
        if (table && *width != parsed.options.tableWidth)
          return usageError("--table=" + std::to_string(parsed.options.tableWidth) +
                            " and --table=" + std::to_string(*width) + " cannot be used together");
        table = true;
        parsed.options.tableWidth = *width;
        break;
      }
    }
  }
  // Each of these chooses what is printed; --ascii only changes the drawing.
  const bool ascii = parsed.options.ascii;
  if (ascii && dot) return usageError("--ascii and --dot cannot be used together");
  if (ascii && table) return usageError("--ascii and --table cannot be used together");
  if (dot && table) return usageError("--dot and --table cannot be used together");
  if (files.empty()) return usageError("missing file operand");
  if (files.size() > 1) return usageError("extra operand '" + files[1] + "'");
  parsed.request = ViewRequest::view;
  parsed.options.mode = dot ? ViewMode::dot : table ? ViewMode::table : ViewMode::drawing;
  parsed.options.file = files[0];
  return parsed;
}
