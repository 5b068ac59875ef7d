#include "tools/explain/session_log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "examples/example_generator.h"
#include "tools/common/input_file.h"
#include "tools/common/printable.h"

namespace {

// The lines of the workbench that change its training set. Each starts a
// line of its output; a name typed at a terminal is echoed behind "Save as: "
// or "Load from: ", so that no name can pass for one of them.
constexpr std::string_view sessionStart = "<q>   or <esc> to quit,";
constexpr std::string_view conceptChanged = "Fitness function used is now ";
constexpr std::string_view examplesCleared = "Examples cleared.";
constexpr std::string_view learnBegun = "...";
constexpr std::string_view growthStopped = "Illegal C4.5 Tree structure.";
constexpr std::string_view exampleBegun = "input: \"";

bool skip(std::string_view& text, std::string_view part) {
  if (!text.starts_with(part)) return false;
  text.remove_prefix(part.size());
  return true;
}

// The workbench draws only 0 and 1 and prints them with two decimals, so
// that each value is read back as the very float it was.
bool takeValue(std::string_view& text, std::vector<float>& values) {
  for (const float value : {0.0F, 1.0F}) {
    if (skip(text, value == 0.0F ? "0.00" : "1.00")) {
      values.push_back(value);
      return true;
    }
  }
  return false;
}

struct ExampleLine {
  std::vector<float> values;
  char fitness = 0;
  std::uint8_t classValue = 0;
};

// One line of trainAndTest, after its "input: \"": the values with the
// concept between them, the response and the verdict. The class is the
// response when the verdict is CORRECT and the other class when it is
// WRONG; a response of neither class (from a loaded tree) leaves the class
// to the concept itself.
std::optional<ExampleLine> readExample(std::string_view text) {
  ExampleLine example;
  if (!takeValue(text, example.values) || !skip(text, " ") || text.empty()) return std::nullopt;
  example.fitness = text[0];
  const std::string between = std::string(" ") + example.fitness + " ";
  text.remove_prefix(1);
  if (!isFitnessFunction(example.fitness) || !skip(text, " ") || !takeValue(text, example.values))
    return std::nullopt;
  if (valueCount(example.fitness) == 3 &&
      (!skip(text, between) || !takeValue(text, example.values) || !skip(text, "  ")))
    return std::nullopt;
  if (!skip(text, "\" response: ")) return std::nullopt;
  unsigned response = 0;
  std::size_t digits = 0;
  for (; digits < text.size() && digits < 3 && text[digits] >= '0' && text[digits] <= '9'; ++digits)
    response = 10 * response + static_cast<unsigned>(text[digits] - '0');
  text.remove_prefix(digits);
  if (digits == 0 || response > 255 || !skip(text, ".\t\t\t")) return std::nullopt;
  if (skip(text, "CORRECT.")) {
    if (response > 1) return std::nullopt;
    example.classValue = static_cast<std::uint8_t>(response);
  } else if (skip(text, "WRONG.")) {
    example.classValue =
        response <= 1 ? static_cast<std::uint8_t>(1 - response) : classOf(example.fitness, example.values);
  } else {
    return std::nullopt;
  }
  // The verdict's blank may have been trimmed from the log.
  if (!text.empty() && text != " ") return std::nullopt;
  return example;
}

// The examples the workbench holds as the log goes on.
class TrainingSet {
 public:
  bool empty() const { return data_.size() == 0; }

  void add(const ExampleLine& example, std::size_t line) {
    if (empty()) {
      data_.width = example.values.size();
      fitness_ = example.fitness;
    } else if (example.values.size() != data_.width) {
      throw SessionLogError{line, "an example of " + std::to_string(example.values.size()) +
                                      " values among examples of " + std::to_string(data_.width) +
                                      ", with no clear between them"};
    }
    data_.values.insert(data_.values.end(), example.values.begin(), example.values.end());
    data_.classes.push_back(example.classValue);
    data_.lines.push_back(line);
  }

  void clear() { data_ = Dataset{}; }

  // The examples of a learn; `keep` when the learn keeps them, as one whose
  // growth stopped does.
  SessionLearn learnt(std::size_t number, std::size_t line, bool keep) {
    SessionLearn learn{number, line, fitness_, keep ? data_ : std::move(data_)};
    if (!keep) clear();
    return learn;
  }

 private:
  Dataset data_;
  char fitness_ = 0;
};

std::string learnsText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " learn" : " learns");
}

}  // namespace

SessionLearn readSessionLog(std::FILE* file, std::size_t learn) {
  // getline's own buffer, which it grows to the longest line.
  struct LineBuffer {
    char* text = nullptr;
    std::size_t capacity = 0;
    ~LineBuffer() { std::free(text); }
  } buffer;
  TrainingSet examples;
  std::optional<SessionLearn> chosen;
  std::size_t lines = 0;
  std::size_t learns = 0;
  bool sawExample = false;
  for (;;) {
    errno = 0;
    const ssize_t got = getline(&buffer.text, &buffer.capacity, file);
    if (got < 0) {
      if (std::ferror(file) != 0)
        throw SessionLogError{lines + 1, std::string("read failed: ") + std::strerror(errno)};
      if (errno == ENOMEM) throw std::bad_alloc();
      break;
    }
    ++lines;
    std::string_view line(buffer.text, static_cast<std::size_t>(got));
    if (line.ends_with('\n')) line.remove_suffix(1);
    // A terminal's output, as a recording of the terminal holds it, ends
    // its lines with CR LF.
    while (line.ends_with('\r')) line.remove_suffix(1);
    if (skip(line, exampleBegun)) {
      const auto example = readExample(line);
      if (!example) throw SessionLogError{lines, "not an example line as the workbench prints it"};
      examples.add(*example, lines);
      sawExample = true;
    } else if (skip(line, learnBegun)) {
      ++learns;
      // A learn whose growth stopped keeps its examples for the next one.
      const bool stopped = line.starts_with(growthStopped);
      if (examples.empty()) {
        if (learns == learn)
          throw SessionLogError{0, "learn " + std::to_string(learn) + ", on line " + std::to_string(lines) +
                                       ", had no examples"};
      } else if (learn == 0 || learns == learn) {
        chosen = examples.learnt(learns, lines, stopped);
        if (learns == learn) return std::move(*chosen);
      } else if (!stopped) {
        examples.clear();
      }
    } else if (line.starts_with(conceptChanged) || line.starts_with(examplesCleared) ||
               line.starts_with(sessionStart)) {
      examples.clear();
    }
  }
  if (learns == 0) throw SessionLogError{0, "the log holds no learn"};
  if (!sawExample) throw SessionLogError{0, "the log holds no example line"};
  if (learn > learns)
    throw SessionLogError{
        0, "there is no learn " + std::to_string(learn) + ": the log holds " + learnsText(learns)};
  if (!chosen) throw SessionLogError{0, "none of the log's " + learnsText(learns) + " had examples"};
  return std::move(*chosen);
}

std::optional<std::string> loadSessionLog(const std::string& name, std::FILE* standardInput,
                                          std::size_t learn, SessionLearn& into) {
  InputFile input;
  if (auto refused = openInput(name, standardInput, input)) return refused;
  try {
    into = readSessionLog(input.file, learn);
  } catch (const SessionLogError& error) {
    return printable(name) + (error.line == 0 ? "" : ":" + std::to_string(error.line)) + ": " + error.reason;
  }
  return std::nullopt;
}
