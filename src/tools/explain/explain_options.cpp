#include "tools/explain/explain_options.h"

#include <optional>

#include "tools/common/printable.h"

namespace {

enum Option : std::size_t { generate, seed, save, compare, dot, method, unpruned, confidence, minLeaf };

constexpr ToolOption explainOptions[] = {generateOption,      seedOption, {"save", true},       {"compare"},
                                         {"dot"},             {"method", true}, {"unpruned"}, {"confidence", true},
                                         {"min-leaf", true}};

}  // namespace

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
  bool seeded = false;
  bool textbookOnly = false;  // an option of the textbook learner was given
  const auto take = [&seeded, &textbookOnly](const GivenOption& given,
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
      case Option::method:
        if (given.value != "workbench" && given.value != "textbook")
          return "unknown method '" + printable(given.value) + "': give workbench or textbook";
        options.method = given.value == "textbook" ? ExplainMethod::textbook : ExplainMethod::workbench;
        break;
      case Option::unpruned:
        textbookOnly = true;
        options.textbook.unpruned = true;
        break;
      case Option::confidence:
        textbookOnly = true;
        return readConfidence(given.value, options.textbook);
      case Option::minLeaf:
        textbookOnly = true;
        return readMinLeaf(given.value, options.textbook);
    }
    return std::nullopt;
  };
  const auto finish = [&seeded, &textbookOnly](const std::vector<std::string>& operands,
                                               ExplainOptions& options) -> std::optional<std::string> {
    // The digraph stands alone on the output, without the explanation.
    if (options.compare && options.dot) return "--compare and --dot cannot be used together";
    if (options.method == ExplainMethod::textbook && (options.compare || options.dot || !options.save.empty()))
      return "--compare, --dot and --save go with --method workbench";
    if (options.method == ExplainMethod::workbench && textbookOnly)
      return "--unpruned, --confidence and --min-leaf go with --method textbook";
    return takeOperands(operands, seeded, options.source);
  };
  return parseToolArguments<ExplainOptions>(args, explainOptions, take, finish);
}
