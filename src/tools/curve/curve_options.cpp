#include "tools/curve/curve_options.h"

#include <optional>

#include "examples/example_generator.h"
#include "tools/common/example_source.h"

namespace {

enum Option : std::size_t { learnEvery, examples, runs, seed, csv, svg };

constexpr ToolOption curveOptions[] = {
    {"learn-every", true}, {"examples", true}, {"runs", true}, seedOption, {"csv"}, {"svg"}};

std::optional<std::string> takeCount(const GivenOption& given, const char* what, std::size_t most,
                                     std::size_t& count) {
  const auto number = wholeNumber(given.value.c_str(), 1, most);
  if (!number) return badNumber(what, given.value, 1, most);
  count = static_cast<std::size_t>(*number);
  return std::nullopt;
}

std::optional<std::string> takeIntervals(const std::string& list, std::vector<std::size_t>& intervals) {
  intervals.clear();
  for (std::size_t from = 0;;) {
    const std::size_t comma = list.find(',', from);
    const std::string item = list.substr(from, comma - from);
    const auto k = wholeNumber(item.c_str(), 1, maxLearnEvery);
    if (!k) return badNumber("learning interval", item, 1, maxLearnEvery);
    for (const std::size_t earlier : intervals) {
      if (earlier == *k) return "learning interval " + item + " given twice";
    }
    if (intervals.size() == maxIntervals)
      return "more than " + std::to_string(maxIntervals) + " learning intervals";
    intervals.push_back(static_cast<std::size_t>(*k));
    if (comma == std::string::npos) return std::nullopt;
    from = comma + 1;
  }
}

std::optional<std::string> takeCode(const std::vector<std::string>& operands, char& fitness) {
  if (operands.empty()) return "missing concept code";
  if (operands.size() > 1) return "extra operand '" + operands[1] + "'";
  if (operands[0].size() != 1 || !isFitnessFunction(operands[0][0]))
    return "unknown concept code '" + operands[0] + "'";
  fitness = operands[0][0];
  return std::nullopt;
}

}  // namespace

ParsedCurveArguments parseCurveArguments(const std::vector<std::string>& args) {
  const auto take = [](const GivenOption& given, CurveOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::learnEvery:
        return takeIntervals(given.value, options.learnEvery);
      case Option::examples:
        return takeCount(given, "example count", maxCurveExamples, options.examples);
      case Option::runs:
        return takeCount(given, "run count", maxRuns, options.runs);
      case Option::seed: {
        // Read as the other tools read theirs.
        ExampleSource source;
        const auto error = takeSeed(given, source);
        options.seed = source.seed;
        return error;
      }
      case Option::csv:
        options.csv = true;
        break;
      case Option::svg:
        options.svg = true;
        break;
    }
    return std::nullopt;
  };
  return parseToolArguments<CurveOptions>(
      args, curveOptions, take, [](const std::vector<std::string>& operands, CurveOptions& options) {
        if (options.csv && options.svg)
          return std::optional<std::string>("--csv and --svg cannot be used together");
        return takeCode(operands, options.fitness);
      });
}
