#include "tools/learn/learn_options.h"

#include <limits>
#include <optional>

#include "tools/common/example_source.h"
#include "tools/common/printable.h"

namespace {

enum Option : std::size_t {
  method,
  unpruned,
  confidence,
  minLeaf,
  save,
  cv,
  seed,
  curve,
  header,
  noHeader,
  classColumn
};

constexpr ToolOption learnOptions[] = {
    {"method", true}, {"unpruned"}, {"confidence", true}, {"min-leaf", true}, {"save", true}, {"cv", true},
    {"seed", true},   {"curve"},    headerOption,         noHeaderOption,     classOption};

// The most folds asked for; whether the data have as many rows is known
// only once they are read.
constexpr unsigned long long mostFolds = std::numeric_limits<std::uint32_t>::max();

}  // namespace

ParsedLearnArguments parseLearnArguments(const std::vector<std::string>& args) {
  bool textbookOnly = false;  // an option of the textbook learner was given
  bool seeded = false;
  const auto take = [&](const GivenOption& given, LearnOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::method:
        if (given.value != "workbench" && given.value != "textbook")
          return "unknown method '" + printable(given.value) + "': give textbook or workbench";
        options.method = given.value == "textbook" ? LearnMethod::textbook : LearnMethod::workbench;
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
      case Option::save:
        return takeFileName(given, "--save", options.save);
      case Option::cv: {
        const auto folds = wholeNumber(given.value.c_str(), 2, mostFolds);
        if (!folds) return badNumber("number of folds", given.value, 2, mostFolds);
        options.folds = static_cast<std::size_t>(*folds);
        break;
      }
      case Option::seed: {
        constexpr unsigned long long most = std::numeric_limits<std::uint32_t>::max();
        const auto number = wholeNumber(given.value.c_str(), 0, most);
        if (!number) return badNumber("seed", given.value, 0, most);
        options.seed = static_cast<std::uint32_t>(*number);
        seeded = true;
        break;
      }
      case Option::curve:
        options.curve = true;
        break;
      case Option::header:
      case Option::noHeader:
        return takeHeader(given.option == Option::header, options.dataOptions);
      case Option::classColumn:
        return takeClass(given, options.dataOptions);
    }
    return std::nullopt;
  };
  const auto finish = [&](const std::vector<std::string>& operands,
                          LearnOptions& options) -> std::optional<std::string> {
    if (textbookOnly && options.method == LearnMethod::workbench)
      return std::string("--unpruned, --confidence and --min-leaf go with --method textbook");
    if (seeded && options.folds == 0 && !options.curve)
      return std::string("--seed goes with --cv or --curve");
    if (operands.empty()) return std::string("missing data file operand");
    if (operands.size() > 1) return "extra operand '" + operands[1] + "'";
    options.data = operands[0];
    return std::nullopt;
  };
  return parseToolArguments<LearnOptions>(args, learnOptions, take, finish);
}
