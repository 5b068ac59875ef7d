#include "tools/curve/curve_chart.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The y axis's labels and line take the first six characters of a row.
constexpr const char* margin = "      ";

void trimEnd(std::string& line) { line.erase(line.find_last_not_of(' ') + 1); }

// Puts `text` into `line` from `at` when it keeps a blank from what is there.
void place(std::string& line, std::size_t at, const std::string& text) {
  const std::size_t from = at > 0 ? at - 1 : 0;
  const std::size_t to = std::min(line.size(), at + text.size() + 1);
  if (at + text.size() > line.size() || line.find_first_not_of(' ', from) < to) return;
  line.replace(at, text.size(), text);
}

}  // namespace

void drawCurveChart(const LearningCurve& curve, std::ostream& out) {
  const std::size_t examples = curve.correct.size();
  const std::size_t columns = std::min(examples, maxChartColumns);
  // Column c holds the examples from index first(c) up to first(c + 1).
  const auto first = [&](std::size_t c) { return c * examples / columns; };
  std::vector<std::size_t> right(columns, 0);
  std::vector<std::size_t> verdicts(columns, 0);
  for (std::size_t c = 0; c < columns; ++c) {
    for (std::size_t i = first(c); i < first(c + 1); ++i) right[c] += curve.correct[i];
    verdicts[c] = (first(c + 1) - first(c)) * curve.runs;
  }
  out << "share of runs right\n";
  for (std::size_t level = 10; level >= 1; --level) {
    std::string line = level == 10 ? " 1.0 |" : " 0." + std::to_string(level) + " |";
    // In whole numbers, so that a share of exactly .05 above a tenth
    // rounds up: right / verdicts >= (level - 1/2) / 10.
    for (std::size_t c = 0; c < columns; ++c)
      line += 20 * right[c] >= (2 * level - 1) * verdicts[c] ? '#' : ' ';
    trimEnd(line);
    out << line << '\n';
  }
  out << " 0.0 +" << std::string(columns, '-') << '\n';
  // The first example, the last, and the one at the middle, where they fit.
  std::string labels(columns, ' ');
  place(labels, 0, "1");
  const std::string last = std::to_string(examples);
  if (columns >= last.size()) place(labels, columns - last.size(), last);
  const std::string middle = std::to_string(first(columns / 2) + 1);
  place(labels, columns / 2 - std::min(columns / 2, middle.size() / 2), middle);
  trimEnd(labels);
  out << margin << labels << '\n';
  const std::string title = "example";
  out << margin << std::string(columns > title.size() ? (columns - title.size()) / 2 : 0, ' ') << title
      << '\n';
}
