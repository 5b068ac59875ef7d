#include "tools/learn/learn_report.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "tools/common/node_text.h"
#include "tools/common/printable.h"
#include "tools/common/share_text.h"

namespace {

std::string padded(const std::string& text, std::size_t width, bool right) {
  const std::string fill(width > text.size() ? width - text.size() : 0, ' ');
  return right ? fill + text : text + fill;
}

std::string ratio(std::size_t part, std::size_t whole) { return whole == 0 ? "-" : shareText(part, whole); }

constexpr std::size_t barWidth = 40;

}  // namespace

std::string percentText(std::size_t part, std::size_t whole) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f%%",
                100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return buffer;
}

void writeConfusion(const Confusion& confusion, const DataNames& names, std::ostream& out) {
  const std::size_t classes = confusion.classCount;
  out << "Rows right: " << confusion.right() << " of " << confusion.rows() << " ("
      << percentText(confusion.right(), confusion.rows()) << ")\n\n";
  std::vector<std::string> labels;
  std::size_t labelWidth = 0;
  std::size_t cellWidth = 1;
  for (std::size_t c = 0; c < classes; ++c) {
    labels.push_back(printable(classLabel(static_cast<unsigned>(c), names)));
    labelWidth = std::max(labelWidth, labels.back().size());
    cellWidth = std::max(cellWidth, labels.back().size());
  }
  for (const std::size_t count : confusion.counts)
    cellWidth = std::max(cellWidth, std::to_string(count).size());
  out << "Confusion matrix (a row for each actual class, a column for each answer):\n";
  out << "  " << padded("", labelWidth, false);
  for (const std::string& label : labels) out << "  " << padded(label, cellWidth, true);
  out << '\n';
  for (std::size_t actual = 0; actual < classes; ++actual) {
    out << "  " << padded(labels[actual], labelWidth, false);
    for (std::size_t answered = 0; answered < classes; ++answered)
      out << "  " << padded(std::to_string(confusion.at(actual, answered)), cellWidth, true);
    out << '\n';
  }
  const std::size_t classWidth = std::max<std::size_t>(labelWidth, 5);
  out << "\n  " << padded("class", classWidth, false) << "  precision  recall\n";
  for (std::size_t c = 0; c < classes; ++c) {
    std::size_t answeredAs = 0;
    std::size_t ofClass = 0;
    for (std::size_t other = 0; other < classes; ++other) {
      answeredAs += confusion.at(other, c);
      ofClass += confusion.at(c, other);
    }
    out << "  " << padded(labels[c], classWidth, false) << "  "
        << padded(ratio(confusion.at(c, c), answeredAs), 9, false) << "  "
        << ratio(confusion.at(c, c), ofClass) << '\n';
  }
}

void writeCurve(const LearningCurve& curve, std::ostream& out) {
  std::size_t rowsWidth = 1;
  for (const std::size_t rows : curve.trainingRows)
    rowsWidth = std::max(rowsWidth, std::to_string(rows).size());
  for (std::size_t step = 0; step < curve.trainingRows.size(); ++step) {
    const std::size_t tested = curve.tested[step];
    const std::size_t bar = tested == 0 ? 0 : (curve.right[step] * barWidth + tested / 2) / tested;
    out << "  " << padded(std::to_string(curve.trainingRows[step]), rowsWidth, true) << " |"
        << std::string(bar, '#') << std::string(barWidth - bar, ' ') << "| "
        << ratio(curve.right[step], tested) << '\n';
  }
  out << "\ntraining rows,accuracy\n";
  for (std::size_t step = 0; step < curve.trainingRows.size(); ++step)
    out << curve.trainingRows[step] << ',' << ratio(curve.right[step], curve.tested[step]) << '\n';
}
