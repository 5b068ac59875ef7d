#include "tools/common/data_options.h"

#include "tools/common/printable.h"

std::optional<std::string> takeHeader(bool present, DataOptions& options) {
  const HeaderRow wanted = present ? HeaderRow::present : HeaderRow::absent;
  if (options.header != HeaderRow::decide && options.header != wanted)
    return "--header and --no-header cannot be used together";
  options.header = wanted;
  return std::nullopt;
}

std::optional<std::string> takeClass(const GivenOption& given, DataOptions& options) {
  if (given.value.empty()) return "empty column for --class";
  if (!options.classColumn.empty() && options.classColumn != given.value)
    return "--class=" + printable(options.classColumn) + " and --class=" + printable(given.value) +
           " cannot be used together";
  options.classColumn = given.value;
  return std::nullopt;
}
