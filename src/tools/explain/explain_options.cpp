#include "tools/explain/explain_options.h"

#include <optional>

namespace {

enum Option : std::size_t { generate, seed, save, compare, dot };

constexpr ToolOption explainOptions[] = {generateOption, seedOption, {"save", true}, {"compare"}, {"dot"}};

}  // namespace

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
  const CommandLine line = parseCommandLine(args, explainOptions);
  ParsedExplainArguments parsed;
  parsed.request = line.request;
  parsed.error = line.error;
  if (line.request != CommandRequest::run) return parsed;
  ExplainOptions& options = parsed.options;
  bool seeded = false;
  std::optional<std::string> error;
  for (const GivenOption& given : line.options) {
    switch (given.option) {
      case Option::generate:
        error = takeGenerate(given, options.source);
        break;
      case Option::seed:
        seeded = true;
        error = takeSeed(given, options.source);
        break;
      case Option::save:
        error = takeFileName(given, "--save", options.save);
        break;
      case Option::compare:
        options.compare = true;
        break;
      case Option::dot:
        options.dot = true;
        break;
    }
    if (error) break;
  }
  // The digraph stands alone on the output, without the explanation.
  if (!error && options.compare && options.dot) error = "--compare and --dot cannot be used together";
  if (!error) error = takeOperands(line.operands, seeded, options.source);
  if (error) {
    parsed.request = CommandRequest::misuse;
    parsed.error = *error;
  }
  return parsed;
}
