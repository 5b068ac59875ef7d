#include "tools/common/data_columns.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "tools/common/data_error.h"
#include "tools/common/number_parsing.h"

namespace {

// A nominal value is its label's index as a float, exact up to 2^24.
constexpr std::size_t maxLabels = std::size_t{1} << 24;

std::string quoted(std::string_view text) {
  std::string out(1, '\'');
  out += text;
  return out += '\'';
}

}  // namespace

DataColumns::DataColumns(Dataset& into, std::vector<Attribute> columns, std::size_t classField, bool declared)
    : data_(into), classField_(classField), declared_(declared) {
  data_.classAttribute = std::move(columns[classField]);
  data_.classAttribute.kind = AttributeKind::nominal;
  for (std::uint32_t i = 0; i < data_.classAttribute.labels.size(); ++i)
    classLabels_.byLabel.emplace(data_.classAttribute.labels[i], i);
  columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(classField));
  data_.attributes = std::move(columns);
  data_.width = data_.attributes.size();
  labels_.resize(data_.width);
  for (std::size_t a = 0; a < data_.width; ++a) {
    const std::vector<std::string>& labels = data_.attributes[a].labels;
    for (std::uint32_t i = 0; i < labels.size(); ++i) labels_[a].byLabel.emplace(labels[i], i);
  }
}

std::string DataColumns::className() const {
  if (!data_.classAttribute.name.empty()) return "the class " + quoted(data_.classAttribute.name);
  return "the class, column " + std::to_string(classField_ + 1) + ",";
}

std::uint32_t DataColumns::labelIndex(Attribute& attribute, LabelIndex& index, std::string_view text,
                                      std::size_t most) {
  if (const auto found = index.find(text); found != index.end()) return found->second;
  if (declared_ || attribute.labels.size() == most) return std::numeric_limits<std::uint32_t>::max();
  const auto next = static_cast<std::uint32_t>(attribute.labels.size());
  attribute.labels.emplace_back(text);
  index.emplace(attribute.labels.back(), next);
  return next;
}

std::uint32_t DataColumns::labelFor(Attribute& attribute, Labels& labels, std::string_view text,
                                    std::size_t most) {
  if (const auto found = labels.byLabel.find(text); found != labels.byLabel.end()) return found->second;
  if (declared_) return std::numeric_limits<std::uint32_t>::max();
  if (const auto found = labels.byText.find(text); found != labels.byText.end()) return found->second;
  // A number is keyed by its value: 1.0 is the label 1.
  char buffer[shortestTextSize];
  float number = 0.0F;
  const std::string_view key =
      parseNumber(text, number) ? std::string_view(buffer, shortestText(number, buffer)) : text;
  const std::uint32_t index = labelIndex(attribute, labels.byLabel, key, most);
  if (key != text && index != std::numeric_limits<std::uint32_t>::max()) labels.byText.emplace(text, index);
  return index;
}

void DataColumns::row(std::span<const std::string_view> fields, std::size_t line) {
  const std::string_view classText = fields[classField_];
  if (isMissing(classText)) {
    if (data_.rowsWithoutClass++ == 0) data_.firstRowWithoutClass = line;
    return;
  }
  const std::uint32_t classIndex = labelFor(data_.classAttribute, classLabels_, classText, maxClasses);
  if (classIndex == std::numeric_limits<std::uint32_t>::max()) {
    if (declared_)
      throw DataError{line, "field " + std::to_string(classField_ + 1) + ", " + quoted(classText) +
                                ", is not one of the values declared for " + className()};
    throw DataError{line, className() + " has more than " + std::to_string(maxClasses) + " values"};
  }
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (f == classField_) continue;
    data_.values.push_back(value(f < classField_ ? f : f - 1, fields[f], f, line));
  }
  data_.classes.push_back(static_cast<std::uint8_t>(classIndex));
  data_.lines.push_back(line);
}

float DataColumns::value(std::size_t attribute, std::string_view text, std::size_t field, std::size_t line) {
  if (isMissing(text)) return std::numeric_limits<float>::quiet_NaN();
  if (data_.attributes[attribute].kind == AttributeKind::nominal) return label(attribute, text, field, line);
  float number = 0.0F;
  const char* const end = text.data() + text.size();
  if (leadingNumber(text.data(), end, number) == end || parseNumber(text, number)) return number;
  const Attribute& column = data_.attributes[attribute];
  if (declared_)
    throw DataError{line, "field " + std::to_string(field + 1) + " is not a number, and attribute " +
                              quoted(column.name) + " is numeric"};
  makeNominal(attribute);
  return label(attribute, text, field, line);
}

float DataColumns::label(std::size_t attribute, std::string_view text, std::size_t field, std::size_t line) {
  Attribute& column = data_.attributes[attribute];
  const std::uint32_t index = labelFor(column, labels_[attribute], text, maxLabels);
  if (index != std::numeric_limits<std::uint32_t>::max()) return static_cast<float>(index);
  if (declared_)
    throw DataError{line, "field " + std::to_string(field + 1) + ", " + quoted(text) +
                              ", is not one of the values declared for " + quoted(column.name)};
  throw DataError{line, "column " + std::to_string(field + 1) + " has more than " + std::to_string(maxLabels) +
                            " values"};
}

void DataColumns::makeNominal(std::size_t attribute) {
  // The numbers of the rows so far become labels, in the order they came,
  // each keyed by its shortest text as later numbers of the column are.
  Attribute& column = data_.attributes[attribute];
  column.kind = AttributeKind::nominal;
  char buffer[shortestTextSize];
  for (std::size_t at = attribute; at < data_.values.size(); at += data_.width) {
    float& value = data_.values[at];
    if (std::isnan(value)) continue;
    const std::string_view key(buffer, shortestText(value, buffer));
    value = static_cast<float>(labelIndex(column, labels_[attribute].byLabel, key, maxLabels));
  }
}

void DataColumns::finish(std::size_t classLine) {
  std::vector<std::string>& labels = data_.classAttribute.labels;
  if (labels.size() == 1)
    throw DataError{classLine, className() + " has one value only, " + quoted(labels[0])};
  if (declared_) return;
  std::vector<float> numbers(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (!parseNumber(labels[i], numbers[i]) || std::isnan(numbers[i])) return;
  }
  std::vector<std::uint8_t> order(labels.size());
  std::iota(order.begin(), order.end(), std::uint8_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::uint8_t a, std::uint8_t b) { return numbers[a] < numbers[b]; });
  std::vector<std::uint8_t> renumbered(labels.size());
  std::vector<std::string> sorted(labels.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    renumbered[order[i]] = static_cast<std::uint8_t>(i);
    sorted[i] = std::move(labels[order[i]]);
  }
  labels = std::move(sorted);
  for (std::uint8_t& c : data_.classes) c = renumbered[c];
}

std::size_t classField(const std::string& given, const std::vector<std::string>& names, std::size_t columns,
                       std::size_t line) {
  if (given.empty()) return columns - 1;
  const std::string option = "--class " + quoted(given);
  if (given.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t digits = std::min<std::size_t>(given.find_first_not_of('0'), given.size());
    const std::string number = given.substr(digits);
    if (!number.empty() && number.size() <= 9 && std::stoul(number) <= columns) return std::stoul(number) - 1;
    throw DataError{line, option + ": there " + (columns == 1 ? "is 1 column" : "are " + std::to_string(columns) + " columns")};
  }
  if (names.empty()) throw DataError{line, option + ": the columns have no names"};
  const auto found = std::find(names.begin(), names.end(), given);
  if (found == names.end()) throw DataError{line, option + ": no column has that name"};
  if (std::find(found + 1, names.end(), given) != names.end())
    throw DataError{line, option + ": more than one column has that name"};
  return static_cast<std::size_t>(found - names.begin());
}
