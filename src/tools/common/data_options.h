#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/common/command_line.h"

// Whether the first row of a CSV file names the columns. ARFF files name
// their attributes in their declarations, whatever is said here.
enum class HeaderRow : std::uint8_t {
  decide,   // as the rows themselves tell (README, "Data files")
  present,  // --header
  absent,   // --no-header: the first row is data, and the file is read as named data without names
};

// How every tool that reads data reads it: the same options, the same
// meaning.
struct DataOptions {
  HeaderRow header = HeaderRow::decide;
  // The class column as given to --class: a number from 1 or a column's
  // name; empty for the last column.
  std::string classColumn;
};

constexpr ToolOption headerOption{"header"};
constexpr ToolOption noHeaderOption{"no-header"};
constexpr ToolOption classOption{"class", true};

// Whether any of the three was given.
inline bool dataOptionsGiven(const DataOptions& options) {
  return options.header != HeaderRow::decide || !options.classColumn.empty();
}

// --header (`present` true) or --no-header, of which only one may be given.
std::optional<std::string> takeHeader(bool present, DataOptions& options);
// --class N|NAME; what it names is judged against the file.
std::optional<std::string> takeClass(const GivenOption& given, DataOptions& options);
