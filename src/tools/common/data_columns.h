#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/common/dataset.h"

// Fills a data set from the fields of its rows as a data file gives them,
// column by column: each field goes to its attribute or is the class.
// A field that is empty or `?` is a missing value; a row whose class is
// missing is left out and counted.
class DataColumns {
 public:
  // `columns` are those of a row, the class the one at `classField`. Where
  // they are `declared`, as in an ARFF file, their kinds and labels are
  // fixed; otherwise, as in a CSV file, each column is numeric until a
  // field that is not a number makes it nominal, and its labels and the
  // class's are taken as they come.
  DataColumns(Dataset& into, std::vector<Attribute> columns, std::size_t classField, bool declared);

  // One row, with a field for each column. Throws DataError at `line`.
  void row(std::span<const std::string_view> fields, std::size_t line);

  // Checks the class, which needs two values at least, and gives the
  // labels of a class of numbers in their order as numbers, so that 0 and 1
  // are the classes 0 and 1. Throws DataError at `classLine`.
  void finish(std::size_t classLine);

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using LabelIndex = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;
  // A column's labels by their text, and in a CSV file the other texts of
  // the numbers among them, such as 1.0 for the label 1, each found once.
  struct Labels {
    LabelIndex byLabel;
    LabelIndex byText;
  };

  float value(std::size_t attribute, std::string_view text, std::size_t field, std::size_t line);
  float label(std::size_t attribute, std::string_view text, std::size_t field, std::size_t line);
  void makeNominal(std::size_t attribute);
  std::uint32_t labelIndex(Attribute& attribute, LabelIndex& index, std::string_view text, std::size_t most);
  std::uint32_t labelFor(Attribute& attribute, Labels& labels, std::string_view text, std::size_t most);
  std::string className() const;

  Dataset& data_;
  std::size_t classField_;
  bool declared_;
  std::vector<Labels> labels_;  // of each attribute, for its nominal values
  Labels classLabels_;
};

// Whether a field stands for a missing value.
inline bool isMissing(std::string_view field) { return field.empty() || field == "?"; }

// The field that --class names (tools/common/data_options.h) among
// `columns` fields, named by `names` where the file names them: the last
// for an empty `given`. Throws DataError at `line`.
std::size_t classField(const std::string& given, const std::vector<std::string>& names, std::size_t columns,
                       std::size_t line);
