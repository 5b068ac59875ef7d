#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One record of a CSV file as RFC 4180 has it: fields parted by commas, a
// field in double quotes holding commas, line ends and "" for a quote. The
// blanks around a field that is not quoted are not part of it, nor those
// around the quotes; a CR before the line end is none either.
struct CsvRecord {
  std::vector<std::string_view> fields;  // into the text read, or into `unescaped`
  std::size_t lineEnds = 0;              // line ends inside quoted fields

  // Whether the record is a blank line.
  bool blank() const { return fields.size() == 1 && fields[0].empty() && !quoted_; }

  // What `readCsvRecord` keeps while it reads; not for the caller. A
  // quoted field that holds "" is copied without the doubled quotes, and
  // its view set once the copy stops growing.
  struct Unescaped {
    std::size_t field, offset, size;
  };
  std::string unescaped_;
  std::vector<Unescaped> unescapedFields_;
  bool quoted_ = false;  // whether any field was quoted
};

// Reads the record at `begin` into `record`. Answers where the text after
// its line end begins, or null where [begin, end) holds no whole record and
// more text may follow (`last` false). Throws DataError for a quote that is
// never closed or text after a closing quote, at the line where the record
// begins, `line`, plus the line ends before the field at fault.
const char* readCsvRecord(const char* begin, const char* end, bool last, std::size_t line, CsvRecord& record);
