#include "tools/explain/explain_options.h"

#include <optional>

namespace {

enum Option : std::size_t { generate, seed, save, compare, dot, header, noHeader, classColumn };

constexpr ToolOption explainOptions[] = {generateOption, seedOption,   {"save", true},   {"compare"},
                                         {"dot"},        headerOption, noHeaderOption, classOption};

}  // namespace

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
  bool seeded = false;
  const auto take = [&seeded](const GivenOption& given,
                              ExplainOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::generate:
        return takeGenerate(given, options.source);
      case Option::seed:
        seeded = true;
        return takeSeed(given, options.source);
      case Option::save:
        return takeFileName(given, "--save", options.save);
      case Option::compare:
        options.compare = true;
        break;
      case Option::dot:
        options.dot = true;
        break;
      case Option::header:
      case Option::noHeader:
        return takeHeader(given.option == Option::header, options.source.data);
      case Option::classColumn:
        return takeClass(given, options.source.data);
    }
    return std::nullopt;
  };
  const auto finish = [&seeded](const std::vector<std::string>& operands,
                                ExplainOptions& options) -> std::optional<std::string> {
    // The digraph stands alone on the output, without the explanation.
    if (options.compare && options.dot) return "--compare and --dot cannot be used together";
    return takeOperands(operands, seeded, options.source);
  };
  return parseToolArguments<ExplainOptions>(args, explainOptions, take, finish);
}
