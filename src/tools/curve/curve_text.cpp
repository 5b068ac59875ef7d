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

void writeBlocks(const LearningCurve& curve, std::ostream& out) {
  const std::size_t examples = curve.correct.size();
  const std::size_t size = (examples + blocks - 1) / blocks;
  std::vector<std::string> ranges;
  std::vector<std::string> shares;
  for (std::size_t from = 0; from < examples; from += size) {
    const std::size_t to = std::min(examples, from + size);
    std::size_t right = 0;
    for (std::size_t i = from; i < to; ++i) right += curve.correct[i];
    std::string range = std::to_string(from + 1);
    if (to > from + 1) range.append("-").append(std::to_string(to));
    ranges.push_back(range);
    shares.push_back(shareText(right, (to - from) * curve.runs));
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
    out << "Not every run stayed right to the end: one was wrong at the last example, " << examples << ".\n";
  } else {
    out << "Every run stayed right after example " << curve.lastWrong << ", to the last, " << examples
        << ".\n";
  }
}

}  // namespace

void writeCurveReport(const LearningCurve& curve, std::ostream& out) {
  out << (curve.learnEvery == 1 ? std::string("Learning after every example")
                                : "Learning after every " + std::to_string(curve.learnEvery) + " examples")
      << "\n\n";
  writeBlocks(curve, out);
  out << '\n';
  drawCurveChart(curve, out);
  out << '\n';
  writeSettled(curve, out);
}
