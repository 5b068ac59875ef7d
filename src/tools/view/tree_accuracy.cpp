#include "tools/view/tree_accuracy.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <span>
#include <string>

#include "tools/common/share_text.h"
#include "tools/common/node_text.h"

Accuracy measureAccuracy(const TreeNode& root, const Dataset& data, std::size_t keptWrong) {
  Accuracy accuracy;
  accuracy.rows = data.size();
  for (std::size_t row = 0; row < data.size(); ++row) {
    const std::span<const float> values(data.values.data() + row * data.width, data.width);
    // The viewer tests data of two classes at most.
    const std::uint8_t classValue = data.classes[row];
    const std::uint8_t answer = root.classify(values);
    ++accuracy.counts[classValue][std::min<std::size_t>(answer, 2)];
    if (answer != classValue && accuracy.firstWrong.size() < keptWrong) {
      const std::size_t line = data.lines.empty() ? row + 1 : data.lines[row];
      accuracy.firstWrong.push_back({line, {values.begin(), values.end()}, classValue, answer});
    }
  }
  return accuracy;
}

namespace {

std::string rightAligned(const std::string& text, std::size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + text;
}

void writeTable(const Accuracy& accuracy, std::ostream& out, const DataNames& names) {
  const bool other = accuracy.counts[0][2] + accuracy.counts[1][2] > 0;
  const std::size_t columns = other ? 3 : 2;
  const std::string headings[] = {"answer " + classLabel(0, names), "answer " + classLabel(1, names), "other"};
  const std::string classes[] = {className(0, names), className(1, names)};
  std::size_t width = 0;
  for (const std::string& heading : headings) width = std::max(width, heading.size());
  for (const auto& byAnswer : accuracy.counts)
    for (const std::size_t count : byAnswer) width = std::max(width, std::to_string(count).size());
  const std::size_t first = std::max(classes[0].size(), classes[1].size());
  std::string line(first, ' ');
  for (std::size_t c = 0; c < columns; ++c) line += "  " + rightAligned(headings[c], width);
  out << line << '\n';
  for (std::size_t classValue = 0; classValue < 2; ++classValue) {
    line = classes[classValue] + std::string(first - classes[classValue].size(), ' ');
    for (std::size_t c = 0; c < columns; ++c)
      line += "  " + rightAligned(std::to_string(accuracy.counts[classValue][c]), width);
    out << line << '\n';
  }
}

}  // namespace

void writeAccuracy(const Accuracy& accuracy, std::ostream& out, const DataNames& names) {
  out << accuracy.right() << " of " << accuracy.rows << " rows right";
  if (accuracy.rows > 0) out << " (share " << shareText(accuracy.right(), accuracy.rows) << ")";
  out << ".\n\n";
  writeTable(accuracy, out, names);
  const std::size_t wrong = accuracy.rows - accuracy.right();
  if (wrong == 0) return;
  out << "\nWrong rows";
  if (wrong > accuracy.firstWrong.size())
    out << ", the first " << accuracy.firstWrong.size() << " of " << wrong;
  out << ":\n";
  for (const WrongRow& row : accuracy.firstWrong) {
    std::string values;
    for (std::uint32_t k = 0; k < row.values.size(); ++k) {
      if (k > 0) values += ',';
      values += std::isnan(row.values[k]) ? "?" : valueText(k, row.values[k], names);
    }
    if (values.empty()) values = "no values";
    out << "line " << row.line << ": " << values << " is " << className(row.classValue, names) << ", answered "
        << classLabel(row.answer, names) << '\n';
  }
}
