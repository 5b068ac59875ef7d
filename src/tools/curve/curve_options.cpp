#include "tools/curve/curve_options.h"

#include <optional>

#include "examples/example_generator.h"
#include "tools/common/example_source.h"

namespace {

enum Option : std::size_t { learnEvery, examples, runs, seed, csv };

constexpr ToolOption curveOptions[] = {
    {"learn-every", true}, {"examples", true}, {"runs", true}, seedOption, {"csv"}};

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
  const CommandLine line = parseCommandLine(args, curveOptions);
  ParsedCurveArguments parsed;
  parsed.request = line.request;
  parsed.error = line.error;
  if (line.request != CommandRequest::run) return parsed;
  CurveOptions& options = parsed.options;
  std::optional<std::string> error;
  for (const GivenOption& given : line.options) {
    switch (given.option) {
      case Option::learnEvery:
        error = takeIntervals(given.value, options.learnEvery);
        break;
      case Option::examples:
        error = takeCount(given, "example count", maxCurveExamples, options.examples);
        break;
      case Option::runs:
        error = takeCount(given, "run count", maxRuns, options.runs);
        break;
      case Option::seed: {
        // Read as the other tools read theirs.
        ExampleSource source;
        error = takeSeed(given, source);
        options.seed = source.seed;
        break;
      }
      case Option::csv:
        options.csv = true;
        break;
    }
    if (error) break;
  }
  if (!error) error = takeCode(line.operands, options.fitness);
  if (error) {
    parsed.request = CommandRequest::misuse;
    parsed.error = *error;
  }
  return parsed;
}
