#include "tools/common/csv_record.h"

#include <algorithm>
#include <cstring>

#include "tools/common/data_error.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char* skipBlanks(const char* p, const char* end) {
  while (p < end && isBlank(*p)) ++p;
  return p;
}

std::size_t lineEndsIn(const char* begin, const char* end) {
  return static_cast<std::size_t>(std::count(begin, end, '\n'));
}

// The field at `p`, not quoted: up to the comma or line end. Answers the
// separator, or `lineEnd` where there is none.
const char* unquotedField(const char* p, const char* lineEnd, CsvRecord& record) {
  const char* stop = p;
  while (stop < lineEnd && *stop != ',') ++stop;
  const char* last = stop;
  if (stop == lineEnd && last > p && last[-1] == '\r') --last;
  while (last > p && isBlank(last[-1])) --last;
  record.fields.emplace_back(p, static_cast<std::size_t>(last - p));
  return stop;
}

}  // namespace

const char* readCsvRecord(const char* begin, const char* end, bool last, std::size_t line, CsvRecord& record) {
  record.fields.clear();
  record.lineEnds = 0;
  record.unescaped_.clear();
  record.unescapedFields_.clear();
  record.quoted_ = false;
  // Where the current physical line ends; a quoted field may run past it.
  const auto findLineEnd = [end](const char* from) {
    const void* newline = std::memchr(from, '\n', static_cast<std::size_t>(end - from));
    return newline != nullptr ? static_cast<const char*>(newline) : end;
  };
  const char* lineEnd = findLineEnd(begin);
  if (lineEnd == end && !last) return nullptr;
  for (const char* p = begin;;) {
    const char* start = skipBlanks(p, lineEnd);
    const char* stop = nullptr;  // the separator after the field
    if (start < lineEnd && *start == '"') {
      record.quoted_ = true;
      const std::size_t field = record.fields.size();
      const std::size_t fieldLine = line + record.lineEnds;
      const char* text = start + 1;
      const char* q = text;
      bool copied = false;
      for (;;) {
        const void* quote = std::memchr(q, '"', static_cast<std::size_t>(end - q));
        if (quote == nullptr) {
          if (!last) return nullptr;
          throw DataError{fieldLine,
                          "the quote that opens field " + std::to_string(field + 1) + " is never closed"};
        }
        const char* closing = static_cast<const char*>(quote);
        if (closing + 1 == end && !last) return nullptr;  // a doubled quote may follow
        if (closing + 1 < end && closing[1] == '"') {
          if (!copied) record.unescapedFields_.push_back({field, record.unescaped_.size(), 0});
          copied = true;
          record.unescaped_.append(q, closing + 1);
          q = closing + 2;
          continue;
        }
        record.lineEnds += lineEndsIn(text, closing);
        if (copied) {
          record.unescaped_.append(q, closing);
          record.unescapedFields_.back().size = record.unescaped_.size() - record.unescapedFields_.back().offset;
          record.fields.emplace_back();
        } else {
          record.fields.emplace_back(text, static_cast<std::size_t>(closing - text));
        }
        stop = closing + 1;
        break;
      }
      if (stop > lineEnd) {
        lineEnd = findLineEnd(stop);
        if (lineEnd == end && !last) return nullptr;
      }
      stop = skipBlanks(stop, lineEnd);
      if (stop < lineEnd && *stop == '\r' && stop + 1 == lineEnd) ++stop;
      if (stop < lineEnd && *stop != ',')
        throw DataError{line + record.lineEnds,
                        "text after the closing quote of field " + std::to_string(field + 1)};
    } else {
      stop = unquotedField(start, lineEnd, record);
    }
    if (stop == lineEnd) break;
    p = stop + 1;
  }
  for (const CsvRecord::Unescaped& u : record.unescapedFields_)
    record.fields[u.field] = std::string_view(record.unescaped_.data() + u.offset, u.size);
  return lineEnd == end ? end : lineEnd + 1;
}
