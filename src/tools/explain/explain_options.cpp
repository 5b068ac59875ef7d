#include "tools/explain/explain_options.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "examples/example_generator.h"
#include "tools/common/dataset.h"

namespace {

constexpr std::string_view optionNames[] = {"generate", "seed", "save", "help", "version"};

// The option that `name` is, or the only one it begins; empty when it is
// none or more than one, which `ambiguous` tells apart.
std::string_view findOption(std::string_view name, bool& ambiguous) {
  std::string_view found;
  ambiguous = false;
  for (const std::string_view option : optionNames) {
    if (option == name) return option;
    if (!name.empty() && option.starts_with(name)) {
      ambiguous = !found.empty();
      if (ambiguous) return {};
      found = option;
    }
  }
  return found;
}

ParsedExplainArguments usageError(std::string message) {
  ParsedExplainArguments parsed;
  parsed.error = std::move(message);
  return parsed;
}

std::string badNumber(const std::string& what, const std::string& text, unsigned long long most) {
  return "bad " + what + " '" + text + "': give a number from 0 to " + std::to_string(most);
}

}  // namespace

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
  ParsedExplainArguments parsed;
  ExplainOptions& options = parsed.options;
  std::vector<std::string> files;
  std::string count;
  std::optional<std::string> seed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      files.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!arg.starts_with("--"))
      return usageError("invalid option -- '" + std::string(arg.substr(1, 1)) + "'");
    const std::string_view body = arg.substr(2);
    const std::size_t equals = body.find('=');
    bool ambiguous = false;
    const std::string_view option = findOption(body.substr(0, equals), ambiguous);
    if (ambiguous) return usageError("option '" + std::string(arg) + "' is ambiguous");
    if (option.empty()) return usageError("unrecognized option '" + std::string(arg) + "'");
    const std::string fullName = "--" + std::string(option);
    if (option == "help" || option == "version") {
      if (equals != std::string_view::npos)
        return usageError("option '" + fullName + "' doesn't allow an argument");
      parsed.request = option == "help" ? ExplainRequest::help : ExplainRequest::version;
      return parsed;
    }
    std::string value;
    if (equals != std::string_view::npos) {
      value = body.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return usageError("option '" + fullName + "' requires an argument");
    }
    if (option == "generate") {
      if (value.size() != 1 || !isFitnessFunction(value[0]))
        return usageError("unknown concept code '" + value + "'");
      if (i + 1 == args.size()) return usageError("option '--generate' requires a count after the code");
      options.fitness = value[0];
      count = args[++i];
    } else if (option == "seed") {
      seed = value;
    } else {
      options.save = value;
    }
  }
  if (files.size() > 1) return usageError("extra operand '" + files[1] + "'");
  if (files.empty() == (options.fitness == 0)) return usageError("give either a CSV file or --generate");
  if (seed && options.fitness == 0) return usageError("--seed goes with --generate");
  if (options.fitness != 0) {
    const std::size_t most = maxExamples(valueCount(options.fitness));
    const auto examples = wholeNumber(count.c_str(), 0, most);
    if (!examples) return usageError(badNumber("example count", count, most));
    options.count = static_cast<std::size_t>(*examples);
  }
  if (seed) {
    constexpr unsigned long long most = std::numeric_limits<std::uint32_t>::max();
    const auto number = wholeNumber(seed->c_str(), 0, most);
    if (!number) return usageError(badNumber("seed", *seed, most));
    options.seed = static_cast<unsigned>(*number);
  }
  if (!files.empty()) options.csv = files[0];
  parsed.request = ExplainRequest::explain;
  return parsed;
}
