#include "tools/common/csv_reader.h"

#include <malloc.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// One field as a float: the whole field must be a number, blanks around it
// aside.
bool parseNumber(const char* begin, const char* end, float& value) {
  while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
  if (begin == end) return false;
  // strtof needs a terminated string; a field longer than any number is
  // refused rather than cut.
  char text[64];
  const auto length = static_cast<std::size_t>(end - begin);
  if (length >= sizeof text) return false;
  std::memcpy(text, begin, length);
  text[length] = '\0';
  char* stop = nullptr;
  errno = 0;
  value = std::strtof(text, &stop);
  // An out-of-range number is taken as strtof rounds it (to infinity or a
  // tiny value): still a number.
  return stop == text + length;
}

// Splits one line (without its line end) into numbers. Answers an empty
// string or the reason the line is refused.
std::string parseRow(const char* line, std::size_t length, std::vector<float>& fields) {
  fields.clear();
  const char* end = line + length;
  const char* start = line;
  for (;;) {
    const char* comma =
        static_cast<const char*>(std::memchr(start, ',', static_cast<std::size_t>(end - start)));
    const char* fieldEnd = comma != nullptr ? comma : end;
    float value = 0.0F;
    if (!parseNumber(start, fieldEnd, value)) {
      return "field " + std::to_string(fields.size() + 1) + " is not a number";
    }
    fields.push_back(value);
    if (comma == nullptr) break;
    start = comma + 1;
  }
  return {};
}

}  // namespace

void readCsv(std::FILE* file, Dataset& into) {
  into = Dataset{};
  Dataset read;
  std::vector<float> fields;
  std::size_t lineNumber = 0;
  std::size_t expected = 0;
  char* line = nullptr;
  std::size_t capacity = 0;
  struct Freer {
    char*& line;
    ~Freer() { std::free(line); }
  } freer{line};
  for (;;) {
    errno = 0;
    const ssize_t got = getline(&line, &capacity, file);
    if (got < 0) {
      if (std::ferror(file) != 0)
        throw CsvError{lineNumber + 1, std::string("read failed: ") + std::strerror(errno)};
      break;
    }
    ++lineNumber;
    auto length = static_cast<std::size_t>(got);
    if (length > 0 && line[length - 1] == '\n') --length;
    if (length > 0 && line[length - 1] == '\r') --length;
    std::string reason = parseRow(line, length, fields);
    if (!reason.empty()) throw CsvError{lineNumber, reason};
    if (lineNumber == 1) {
      expected = fields.size();
      read.width = expected - 1;
    } else if (fields.size() != expected) {
      throw CsvError{lineNumber, std::to_string(fields.size()) + " fields where the first row has " +
                                     std::to_string(expected)};
    }
    const float classValue = fields.back();
    if (classValue != 0.0F && classValue != 1.0F) throw CsvError{lineNumber, "the class is neither 0 nor 1"};
    read.values.insert(read.values.end(), fields.begin(), fields.end() - 1);
    read.classes.push_back(classValue == 1.0F ? 1 : 0);
  }
  // The growth of the vectors may have left them twice the size they need,
  // and the blocks they grew out of resident, beside which the training set
  // would then sit.
  read.values.shrink_to_fit();
  read.classes.shrink_to_fit();
  malloc_trim(0);
  into = std::move(read);
}

std::optional<std::string> loadCsv(const std::string& name, std::FILE* standardInput, Dataset& into) {
  into = Dataset{};
  std::FILE* const file = name == "-" ? standardInput : std::fopen(name.c_str(), "r");
  if (file == nullptr) return name + ": cannot open: " + std::strerror(errno);
  struct Closer {
    std::FILE* file;
    bool owned;
    ~Closer() {
      if (owned) std::fclose(file);
    }
  } closer{file, file != standardInput};
  try {
    readCsv(file, into);
  } catch (const CsvError& error) {
    return name + ":" + std::to_string(error.line) + ": " + error.reason;
  }
  return std::nullopt;
}
