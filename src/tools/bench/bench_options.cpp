#include "tools/bench/bench_options.h"

#include <optional>

namespace {

enum Option : std::size_t { generate, seed, repeat, save, write, header, noHeader, classColumn };

constexpr ToolOption benchOptions[] = {generateOption, seedOption,   {"repeat", true}, {"save", true},
                                       {"write", true}, headerOption, noHeaderOption,  classOption};

std::optional<std::string> takeRepeat(const GivenOption& given, int& repeat) {
  constexpr unsigned long long most = 1000;
  const auto count = wholeNumber(given.value.c_str(), 1, most);
  if (!count) return badNumber("repeat count", given.value, 1, most);
  repeat = static_cast<int>(*count);
  return std::nullopt;
}

}  // namespace

ParsedBenchArguments parseBenchArguments(const std::vector<std::string>& args) {
  bool seeded = false;
  const auto take = [&seeded](const GivenOption& given, BenchOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::generate:
        return takeGenerate(given, options.source);
      case Option::seed:
        seeded = true;
        return takeSeed(given, options.source);
      case Option::repeat:
        return takeRepeat(given, options.repeat);
      case Option::save:
        return takeFileName(given, "--save", options.save);
      case Option::write:
        return takeFileName(given, "--write", options.write);
      case Option::header:
      case Option::noHeader:
        return takeHeader(given.option == Option::header, options.source.data);
      case Option::classColumn:
        return takeClass(given, options.source.data);
    }
    return std::nullopt;
  };
  return parseToolArguments<BenchOptions>(
      args, benchOptions, take, [&seeded](const std::vector<std::string>& operands, BenchOptions& options) {
        return takeOperands(operands, seeded, options.source);
      });
}
