#include "tools/curve/curve_text.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tools/common/share_text.h"
#include "tools/curve/curve_chart.h"

void writeCurveCsv(const LearningCurve& curve, std::ostream& out) {
  for (std::size_t i = 0; i < curve.correct.size(); ++i)
    out << curve.learnEvery << ',' << i + 1 << ',' << shareText(curve.correct[i], curve.runs) << '\n';
}

namespace {

// Few enough rows to take in at a glance.
constexpr std::size_t blocks = 8;
constexpr std::size_t mostEvenExamples = blocks * blocks;

// The last example of each block: up to 64 examples, eight blocks alike;
// beyond, blocks that end at 1, 2, 5, 10, 20, 50, ... and the last, so
// that the first examples, where the curve climbs, keep rows of their own
// however long the sessions.
std::vector<std::size_t> blockEnds(std::size_t examples) {
  std::vector<std::size_t> ends;
  if (examples <= mostEvenExamples) {
    const std::size_t size = (examples + blocks - 1) / blocks;
    for (std::size_t end = size; end < examples; end += size) ends.push_back(end);
  } else {
    for (std::size_t decade = 1; decade < examples; decade *= 10) {
      for (const std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{5}}) {
        if (decade * step < examples) ends.push_back(decade * step);
      }
    }
  }
  ends.push_back(examples);
  return ends;
}

void writeBlocks(const LearningCurve& curve, std::ostream& out) {
  std::vector<std::string> ranges;
  std::vector<std::string> shares;
  std::size_t from = 0;
  for (const std::size_t to : blockEnds(curve.correct.size())) {
    std::size_t right = 0;
    for (std::size_t i = from; i < to; ++i) right += curve.correct[i];
    std::string range = std::to_string(from + 1);
    if (to > from + 1) range.append("-").append(std::to_string(to));
    ranges.push_back(range);
    shares.push_back(shareText(right, (to - from) * curve.runs));
    from = to;
  }
  const std::string heading = "examples";
  std::size_t width = heading.size();
  for (const std::string& range : ranges) width = std::max(width, range.size());
  out << heading << std::string(width - heading.size() + 2, ' ') << "share right\n";
  for (std::size_t b = 0; b < ranges.size(); ++b)
    out << ranges[b] << std::string(width - ranges[b].size() + 2, ' ') << shares[b] << '\n';
}

void writeSettled(const LearningCurve& curve, std::ostream& out) {
  const std::size_t examples = curve.correct.size();
  if (curve.lastWrong == 0) {
    out << "Every run was right at every example.\n";
  } else if (curve.lastWrong == examples) {
    const std::size_t wrong = curve.runs - curve.correct.back();
    if (curve.runs == 1) {
      out << "The run did not stay right to the end: it was wrong at the last example, " << examples << ".\n";
    } else {
      out << "Not every run stayed right to the end: " << wrong << " of the " << curve.runs
          << (wrong == 1 ? " runs was" : " runs were") << " wrong at the last example, " << examples << ".\n";
    }
  } else {
    out << "Every run stayed right after example " << curve.lastWrong << ", to the last, " << examples
        << ".\n";
  }
}

}  // namespace

void writeCurveReport(const LearningCurve& curve, std::size_t chartColumns, std::ostream& out) {
  out << (curve.learnEvery == 1 ? std::string("Learning after every example")
                                : "Learning after every " + std::to_string(curve.learnEvery) + " examples")
      << "\n\n";
  writeBlocks(curve, out);
  out << '\n';
  drawCurveChart(curve, chartColumns, out);
  out << '\n';
  writeSettled(curve, out);
}
