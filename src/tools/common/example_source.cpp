#include "tools/common/example_source.h"

#include <cstdint>
#include <limits>

#include "examples/example_generator.h"
#include "tools/common/dataset.h"

std::optional<std::string> takeGenerate(const GivenOption& given, ExampleSource& source) {
  if (given.value.size() != 1 || !isFitnessFunction(given.value[0]))
    return "unknown concept code '" + given.value + "'";
  // The most that can be held depends on the size of one example.
  const std::size_t most = maxExamples(valueCount(given.value[0]));
  const auto count = wholeNumber(given.follower.c_str(), 0, most);
  if (!count) return badNumber("example count", given.follower, 0, most);
  source.fitness = given.value[0];
  source.count = static_cast<std::size_t>(*count);
  return std::nullopt;
}

std::optional<std::string> takeSeed(const GivenOption& given, ExampleSource& source) {
  constexpr unsigned long long most = std::numeric_limits<std::uint32_t>::max();
  const auto seed = wholeNumber(given.value.c_str(), 0, most);
  if (!seed) return badNumber("seed", given.value, 0, most);
  source.seed = static_cast<unsigned>(*seed);
  return std::nullopt;
}

std::optional<std::string> takeOperands(const std::vector<std::string>& operands, bool seeded,
                                        ExampleSource& source) {
  if (operands.size() > 1) return "extra operand '" + operands[1] + "'";
  if (operands.empty() == (source.fitness == 0)) return "give either a data file or --generate";
  if (seeded && source.fitness == 0) return "--seed goes with --generate";
  if (source.fitness != 0 && dataOptionsGiven(source.data))
    return "--header, --no-header and --class go with a data file";
  if (!operands.empty()) source.csv = operands[0];
  return std::nullopt;
}

std::optional<std::string> takeFileName(const GivenOption& given, const char* option, std::string& name) {
  // An empty name would read as the option not given at all, as when a
  // script's variable is unset, and the file would silently not be made.
  if (given.value.empty()) return "empty file name for " + std::string(option);
  name = given.value;
  return std::nullopt;
}
