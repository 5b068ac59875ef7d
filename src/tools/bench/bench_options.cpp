#include "tools/bench/bench_options.h"

#include <optional>

namespace {

enum Option : std::size_t { generate, seed, repeat, save, write };

constexpr ToolOption benchOptions[] = {
    generateOption, seedOption, {"repeat", true}, {"save", true}, {"write", true}};

std::optional<std::string> takeRepeat(const GivenOption& given, int& repeat) {
  constexpr unsigned long long most = 1000;
  const auto count = wholeNumber(given.value.c_str(), 1, most);
  if (!count) return badNumber("repeat count", given.value, 1, most);
  repeat = static_cast<int>(*count);
  return std::nullopt;
}

}  // namespace

ParsedBenchArguments parseBenchArguments(const std::vector<std::string>& args) {
  const CommandLine line = parseCommandLine(args, benchOptions);
  ParsedBenchArguments parsed;
  parsed.request = line.request;
  parsed.error = line.error;
  if (line.request != CommandRequest::run) return parsed;
  BenchOptions& options = parsed.options;
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
      case Option::repeat:
        error = takeRepeat(given, options.repeat);
        break;
      case Option::save:
        error = takeFileName(given, "--save", options.save);
        break;
      case Option::write:
        error = takeFileName(given, "--write", options.write);
        break;
    }
    if (error) break;
  }
  if (!error) error = takeOperands(line.operands, seeded, options.source);
  if (error) {
    parsed.request = CommandRequest::misuse;
    parsed.error = *error;
  }
  return parsed;
}
