#include "tools/explain/explain_options.h"

#include <limits>
#include <optional>

#include "tools/common/dot_options.h"
#include "tools/common/printable.h"

namespace {

enum Option : std::size_t {
  generate, seed, save, compare, dot, session, learn, maxDepth, brief, header, noHeader, classColumn,
  method, unpruned, confidence, minLeaf
};

constexpr ToolOption explainOptions[] = {generateOption,  seedOption,     {"save", true},   {"compare"},
                                         {"dot"},         {"session", true}, {"learn", true}, maxDepthOption,
                                         {"brief"},       headerOption,   noHeaderOption,  classOption,
                                         {"method", true}, {"unpruned"},  {"confidence", true}, {"min-leaf", true}};

// The workbench's method has options the textbook learner has not, and
// the reverse.
std::optional<std::string> takeMethod(const ExplainOptions& options, bool textbookOnly) {
  if (options.method == ExplainMethod::textbook) {
    if (options.compare || options.dot || !options.save.empty() || !options.session.empty())
      return std::string("--compare, --dot, --save and --session go with --method workbench");
  } else if (textbookOnly) {
    return std::string("--unpruned, --confidence and --min-leaf go with --method textbook");
  }
  return std::nullopt;
}

// The examples come from one of a data file, --generate and a session log,
// whose learn --learn picks.
std::optional<std::string> takeSession(const std::vector<std::string>& operands, bool seeded,
                                       const ExplainOptions& options) {
  const bool session = !options.session.empty();
  if (!operands.empty() + (options.source.fitness != 0) + session != 1)
    return std::string("give one of a data file, --generate and --session");
  if (options.learn != 0 && !session) return std::string("--learn goes with --session");
  if (seeded && session) return std::string("--seed goes with --generate");
  if (session && dataOptionsGiven(options.source.data))
    return std::string("--header, --no-header and --class go with a data file");
  return std::nullopt;
}

}  // namespace

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
  bool seeded = false;
  bool depth = false;
  bool textbookOnly = false;  // an option of the textbook learner was given
  const auto take = [&seeded, &depth, &textbookOnly](const GivenOption& given,
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
      case Option::session:
        return takeFileName(given, "--session", options.session);
      case Option::learn: {
        constexpr unsigned long long most = std::numeric_limits<std::size_t>::max();
        const auto number = wholeNumber(given.value.c_str(), 1, most);
        if (!number) return badNumber("learn number", given.value, 1, most);
        options.learn = static_cast<std::size_t>(*number);
        break;
      }
      case Option::maxDepth:
        depth = true;
        return takeMaxDepth(given, options.dotDepth);
      case Option::brief:
        options.brief = true;
        break;
      case Option::header:
      case Option::noHeader:
        return takeHeader(given.option == Option::header, options.source.data);
      case Option::classColumn:
        return takeClass(given, options.source.data);
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
  const auto finish = [&seeded, &depth, &textbookOnly](const std::vector<std::string>& operands,
                                                       ExplainOptions& options) -> std::optional<std::string> {
    // The digraph stands alone on the output, without the explanation.
    if (options.compare && options.dot) return "--compare and --dot cannot be used together";
    if (depth && !options.dot) return "--max-depth goes with --dot";
    if (options.brief && !options.dot) return "--brief goes with --dot";
    if (auto refused = takeMethod(options, textbookOnly)) return refused;
    if (auto refused = takeSession(operands, seeded, options)) return refused;
    if (!options.session.empty()) return std::nullopt;
    return takeOperands(operands, seeded, options.source);
  };
  return parseToolArguments<ExplainOptions>(args, explainOptions, take, finish);
}
