#include "tools/common/csv_rows.h"

#include <string>
#include <vector>

#include "tools/common/data_error.h"

CsvRows::CsvRows(Dataset& into, const DataOptions& options, bool named)
    : data_(into), options_(options), named_(named) {}

const char* CsvRows::take(const char* begin, const char* end, bool last) {
  while (begin < end) {
    const std::size_t line = line_ + 1;
    const char* next = readCsvRecord(begin, end, last, line, record_);
    if (next == nullptr) break;
    begin = next;
    line_ += 1 + record_.lineEnds;
    if (record_.blank()) continue;
    if (!columns_) {
      this->begin(line);
      if (named_) continue;
    }
    const std::size_t width = data_.width + 1;
    if (record_.fields.size() != width)
      throw DataError{line, std::to_string(record_.fields.size()) + " fields where the " +
                                (named_ ? "header" : "first row") + " has " + std::to_string(width)};
    columns_->row(record_.fields, line);
  }
  return begin;
}

void CsvRows::begin(std::size_t line) {
  firstLine_ = line;
  std::vector<std::string> names;
  std::vector<Attribute> columns(record_.fields.size());
  if (named_) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      columns[i].name = record_.fields[i];
      names.push_back(columns[i].name);
    }
  }
  const std::size_t field = classField(options_.classColumn, names, columns.size(), line);
  columns_ = std::make_unique<DataColumns>(data_, std::move(columns), field, false);
}

void CsvRows::finish() {
  if (columns_) columns_->finish(firstLine_);
}
