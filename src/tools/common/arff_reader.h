#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/data_columns.h"
#include "tools/common/data_options.h"
#include "tools/common/dataset.h"

// An ARFF file, line by line: `@relation`, an `@attribute NAME TYPE` for
// each column (TYPE numeric, real, integer or {v1,v2,...}), `@data`, then
// one row a line, its values parted by commas. Keywords are read in any
// case; names and values may be quoted with ' or ", a backslash escaping
// the next character; `%` starts a comment. String, date and relational
// attributes, sparse rows and weights are refused, as are a numeric class
// and a class of one value.
class ArffReader {
 public:
  ArffReader(Dataset& into, const DataOptions& options);

  std::size_t lines() const { return line_; }

  // One line, without its line end; a CR before it is dropped. Throws
  // DataError.
  void take(const char* begin, const char* end);

  // After the last line.
  void finish();

 private:
  void declare(const char* p, const char* end);
  void attribute(const char* p, const char* end);
  void beginData();
  void row(const char* p, const char* end);

  Dataset& data_;
  const DataOptions& options_;
  std::size_t line_ = 0;
  std::vector<Attribute> columns_;         // as declared, until the data begin
  std::vector<std::size_t> declaredOn_;    // the line of each declaration
  std::size_t classLine_ = 0;
  std::unique_ptr<DataColumns> rows_;      // from @data on
  std::vector<std::string_view> fields_;   // of the row being read
  std::string unescaped_;                  // quoted values of that row, unescaped
};
