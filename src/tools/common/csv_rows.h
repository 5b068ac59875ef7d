#pragma once

#include <cstddef>
#include <memory>

#include "tools/common/csv_record.h"
#include "tools/common/data_columns.h"
#include "tools/common/data_options.h"
#include "tools/common/dataset.h"

// The records of a CSV file read as named data: nominal columns, missing
// values, a class of any labels. With `named`, the first record names the
// columns; otherwise they have no names, and the first row sets the width.
// Blank lines are skipped.
class CsvRows {
 public:
  CsvRows(Dataset& into, const DataOptions& options, bool named);

  // The lines taken so far.
  std::size_t lines() const { return line_; }

  // Takes the whole records in [begin, end), all of them where `last`;
  // answers where the text not taken begins. Throws DataError.
  const char* take(const char* begin, const char* end, bool last);

  // After the last record.
  void finish();

 private:
  void begin(std::size_t line);

  Dataset& data_;
  const DataOptions& options_;
  bool named_;
  std::size_t line_ = 0;
  std::size_t firstLine_ = 0;  // of the header, or of the first row without one
  CsvRecord record_;
  std::unique_ptr<DataColumns> columns_;
};
