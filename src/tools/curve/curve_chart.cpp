#include "tools/curve/curve_chart.h"

#include <algorithm>
#include <cmath>
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

std::vector<std::size_t> chartColumnEnds(std::size_t examples, std::size_t columns) {
  std::vector<std::size_t> ends;
  if (examples <= columns) {
    for (std::size_t e = 1; e <= examples; ++e) ends.push_back(e);
    return ends;
  }
  // On a logarithmic scale column c would start at examples^(c / columns),
  // the first at example 1; the first columns, narrower than one example
  // there, take one each, and no column is left without one.
  const double scale = std::log(static_cast<double>(examples)) / static_cast<double>(columns);
  std::size_t end = 0;
  for (std::size_t c = 0; c + 1 < columns; ++c) {
    const auto next = static_cast<std::size_t>(std::lround(std::exp(scale * static_cast<double>(c + 1))));
    end = std::min(std::max(end + 1, next - 1), examples - (columns - c - 1));
    ends.push_back(end);
  }
  ends.push_back(examples);
  return ends;
}

void drawCurveChart(const LearningCurve& curve, std::size_t maxColumns, std::ostream& out) {
  const std::size_t examples = curve.correct.size();
  const std::vector<std::size_t> ends = chartColumnEnds(examples, std::max(maxColumns, minChartColumns));
  const std::size_t columns = ends.size();
  // Column c holds the examples from index first(c) up to ends[c].
  const auto first = [&](std::size_t c) { return c == 0 ? 0 : ends[c - 1]; };
  std::vector<std::size_t> right(columns, 0);
  std::vector<std::size_t> verdicts(columns, 0);
  for (std::size_t c = 0; c < columns; ++c) {
    for (std::size_t i = first(c); i < ends[c]; ++i) right[c] += curve.correct[i];
    verdicts[c] = (ends[c] - first(c)) * curve.runs;
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
  // Each label stands under the column that holds its example, where it
  // fits: the first and the last; then the middle one, or on the
  // logarithmic scale each power of ten.
  std::string labels(columns, ' ');
  place(labels, 0, "1");
  const std::string last = std::to_string(examples);
  if (columns >= last.size()) place(labels, columns - last.size(), last);
  const bool logarithmic = ends.back() != columns;
  if (logarithmic) {
    for (std::size_t power = 10, c = 0; power < examples; power *= 10) {
      while (ends[c] < power) ++c;
      place(labels, c, std::to_string(power));
    }
  } else {
    const std::string middle = std::to_string(first(columns / 2) + 1);
    place(labels, columns / 2 - std::min(columns / 2, middle.size() / 2), middle);
  }
  trimEnd(labels);
  out << margin << labels << '\n';
  const std::string title = logarithmic ? "example, on a logarithmic scale" : "example";
  out << margin << std::string(columns > title.size() ? (columns - title.size()) / 2 : 0, ' ') << title
      << '\n';
}
