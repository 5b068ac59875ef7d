#include "tools/common/arff_reader.h"

#include <algorithm>
#include <cctype>

#include "tools/common/data_error.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char* skipBlanks(const char* p, const char* end) {
  while (p < end && isBlank(*p)) ++p;
  return p;
}

bool isQuote(char c) { return c == '\'' || c == '"'; }

std::string lowered(std::string_view word) {
  std::string text(word);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string quoted(std::string_view text) {
  std::string out(1, '\'');
  out += text;
  return out += '\'';
}

// The quoted text at `p`, which opens with its quote, appended to `out`
// with each backslash escape read: \n, \t and \r as the controls they
// name, any other character as itself. Answers the character after the
// closing quote.
const char* quotedText(const char* p, const char* end, std::string& out, std::size_t line) {
  const char quote = *p++;
  for (; p < end && *p != quote; ++p) {
    if (*p != '\\' || p + 1 == end) {
      out += *p;
      continue;
    }
    const char escaped = *++p;
    out += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped;
  }
  if (p == end) throw DataError{line, std::string("the quote ") + quote + " is never closed"};
  return p + 1;
}

// A word that is not quoted: up to a blank or one of `stops`.
const char* bareWord(const char* p, const char* end, std::string_view stops) {
  while (p < end && !isBlank(*p) && stops.find(*p) == std::string_view::npos) ++p;
  return p;
}

// A name or a value of a declaration, quoted or not; bare, it ends at a
// blank or one of `stops`.
const char* token(const char* p, const char* end, std::string_view stops, std::string& out, std::size_t line) {
  out.clear();
  if (p < end && isQuote(*p)) return quotedText(p, end, out, line);
  const char* stop = bareWord(p, end, stops);
  out.assign(p, stop);
  return stop;
}

bool endsHere(const char* p, const char* end) { return p == end || *p == '%'; }

}  // namespace

ArffReader::ArffReader(Dataset& into, const DataOptions& options) : data_(into), options_(options) {}

void ArffReader::take(const char* begin, const char* end) {
  ++line_;
  if (end > begin && end[-1] == '\r') --end;
  const char* p = skipBlanks(begin, end);
  if (endsHere(p, end)) return;  // a blank line or a comment
  if (rows_) {
    row(p, end);
  } else {
    declare(p, end);
  }
}

void ArffReader::declare(const char* p, const char* end) {
  if (*p != '@')
    throw DataError{line_, "expected @relation, @attribute or @data, found " +
                               quoted(std::string_view(p, static_cast<std::size_t>(end - p)))};
  const char* stop = bareWord(p + 1, end, "%{'\"");
  const std::string keyword = lowered(std::string_view(p + 1, static_cast<std::size_t>(stop - p - 1)));
  if (keyword == "relation") {
    // Its name is not needed.
  } else if (keyword == "attribute") {
    attribute(stop, end);
  } else if (keyword == "data") {
    beginData();
  } else {
    throw DataError{line_, "unknown declaration " + quoted(std::string_view(p, static_cast<std::size_t>(stop - p)))};
  }
}

void ArffReader::attribute(const char* p, const char* end) {
  Attribute column;
  p = token(skipBlanks(p, end), end, "{%", column.name, line_);
  if (column.name.empty()) throw DataError{line_, "the attribute has no name"};
  const std::string named = "attribute " + quoted(column.name);
  p = skipBlanks(p, end);
  if (endsHere(p, end)) throw DataError{line_, named + " has no type"};
  if (*p == '{') {
    column.kind = AttributeKind::nominal;
    std::string value;
    for (++p;;) {
      p = skipBlanks(p, end);
      if (p < end && *p == '}' && column.labels.empty()) break;
      if (p < end && isQuote(*p)) {
        p = token(p, end, "", value, line_);
      } else {
        const char* stop = p;
        while (stop < end && *stop != ',' && *stop != '}') ++stop;
        const char* last = stop;
        while (last > p && isBlank(last[-1])) --last;
        value.assign(p, last);
        p = stop;
      }
      column.labels.push_back(value);
      p = skipBlanks(p, end);
      if (p < end && *p == ',') {
        ++p;
        continue;
      }
      if (p < end && *p == '}') break;
      throw DataError{line_, "the values of " + named + " are not closed with '}'"};
    }
    ++p;
  } else {
    const char* stop = bareWord(p, end, "%");
    const std::string type = lowered(std::string_view(p, static_cast<std::size_t>(stop - p)));
    if (type == "string" || type == "date" || type == "relational")
      throw DataError{line_, named + " is of type " + type + ", which is not supported"};
    if (type != "numeric" && type != "real" && type != "integer")
      throw DataError{line_, named + " has an unknown type " + quoted(std::string_view(p, static_cast<std::size_t>(stop - p)))};
    p = stop;
  }
  if (!endsHere(skipBlanks(p, end), end)) throw DataError{line_, "text after the type of " + named};
  columns_.push_back(std::move(column));
  declaredOn_.push_back(line_);
}

void ArffReader::beginData() {
  if (columns_.empty()) throw DataError{line_, "no attribute is declared before @data"};
  std::vector<std::string> names;
  for (const Attribute& column : columns_) names.push_back(column.name);
  const std::size_t field = classField(options_.classColumn, names, columns_.size(), line_);
  classLine_ = declaredOn_[field];
  const Attribute& theClass = columns_[field];
  if (theClass.kind == AttributeKind::numeric)
    throw DataError{classLine_, "the class " + quoted(theClass.name) + " is numeric; it must be nominal"};
  if (theClass.labels.size() > maxClasses)
    throw DataError{classLine_, "the class " + quoted(theClass.name) + " has more than " +
                                    std::to_string(maxClasses) + " values"};
  rows_ = std::make_unique<DataColumns>(data_, columns_, field, true);
  columns_.clear();
}

void ArffReader::row(const char* p, const char* end) {
  if (*p == '{') throw DataError{line_, "sparse rows ({INDEX VALUE, ...}) are not supported"};
  fields_.clear();
  unescaped_.clear();
  // Never more than the line, so that the views into it stay in place.
  unescaped_.reserve(static_cast<std::size_t>(end - p));
  for (;;) {
    p = skipBlanks(p, end);
    if (p < end && isQuote(*p)) {
      const std::size_t start = unescaped_.size();
      p = skipBlanks(quotedText(p, end, unescaped_, line_), end);
      fields_.emplace_back(unescaped_.data() + start, unescaped_.size() - start);
      if (!endsHere(p, end) && *p != ',')
        throw DataError{line_, "text after the closing quote of value " + std::to_string(fields_.size())};
    } else {
      if (p < end && *p == '{') throw DataError{line_, "weights of rows ({WEIGHT}) are not supported"};
      const char* stop = p;
      while (stop < end && *stop != ',' && *stop != '%') ++stop;
      const char* last = stop;
      while (last > p && isBlank(last[-1])) --last;
      fields_.emplace_back(p, static_cast<std::size_t>(last - p));
      p = stop;
    }
    if (endsHere(p, end)) break;
    ++p;
  }
  const std::size_t declared = data_.width + 1;
  if (fields_.size() != declared)
    throw DataError{line_, std::to_string(fields_.size()) + (fields_.size() == 1 ? " value" : " values") +
                               " where " + std::to_string(declared) + " attributes are declared"};
  rows_->row(fields_, line_);
}

void ArffReader::finish() {
  if (!rows_) throw DataError{line_ + 1, "no @data line: the file holds no rows"};
  rows_->finish(classLine_);
}
