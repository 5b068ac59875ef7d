#include "tools/common/csv_reader.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "tools/common/printable.h"

namespace {

// Reads go to the kernel a block at a time; a line longer than a block
// makes the buffer grow to hold it.
constexpr std::size_t blockSize = std::size_t{1} << 20;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One field as strtof reads it, for the forms the fast path leaves to it:
// a leading '+' or white space other than blanks, hexadecimal, infinities
// and NaNs (whose bits strtof chooses), and numbers beyond a float's range,
// which strtof rounds to infinity or zero.
bool parseWithStrtof(const char* begin, const char* end, float& value) {
  const std::string text(begin, end);
  char* stop = nullptr;
  value = std::strtof(text.c_str(), &stop);
  return stop == text.c_str() + text.size();
}

// One field as a float: the whole field must be a number, blanks around it
// aside. Exactly what strtof takes is taken, as strtof reads it.
bool parseNumber(const char* begin, const char* end, float& value) {
  while (begin < end && isBlank(*begin)) ++begin;
  while (end > begin && isBlank(end[-1])) --end;
  if (begin == end) return false;
  // from_chars rounds as strtof does and takes a subset of its forms; it
  // leaves the rest, and what would not be finite, to strtof.
  float read = 0.0F;
  const auto [stop, error] = std::from_chars(begin, end, read);
  if (error == std::errc() && stop == end && std::isfinite(read)) {
    value = read;
    return true;
  }
  return parseWithStrtof(begin, end, value);
}

// Turns lines into rows of the data set, checking each as it comes.
class RowReader {
 public:
  explicit RowReader(Dataset& into) : data_(into) {}

  std::size_t lines() const { return line_; }

  // One line, without its line end.
  void take(const char* begin, const char* end) {
    ++line_;
    if (end > begin && end[-1] == '\r') --end;
    if (!takeDigits(begin, end)) takeNumbers(begin, end);
  }

 private:
  // A row of one-digit fields, as the workbench's examples are written, in
  // one pass without a call per field. Answers false, having taken
  // nothing, for any other line.
  bool takeDigits(const char* begin, const char* end) {
    const auto length = static_cast<std::size_t>(end - begin);
    if (width_ == 0 || length != 2 * width_ - 1) return false;
    bool digits = true;
    for (std::size_t i = 0; i < length; i += 2) digits &= static_cast<unsigned char>(begin[i] - '0') <= 9;
    for (std::size_t i = 1; i < length; i += 2) digits &= begin[i] == ',';
    const char classDigit = end[-1];
    if (!digits || (classDigit != '0' && classDigit != '1')) return false;
    for (std::size_t i = 0; i + 1 < length; i += 2)
      data_.values.push_back(static_cast<float>(begin[i] - '0'));
    data_.classes.push_back(classDigit == '1' ? 1 : 0);
    return true;
  }

  void takeNumbers(const char* begin, const char* end) {
    std::size_t fields = 0;
    for (const char* field = begin;;) {
      ++fields;
      // A number that from_chars reads right up to the comma needs no
      // search for the comma first; anything else is looked at whole.
      float value = 0.0F;
      const auto [stop, error] = std::from_chars(field, end, value);
      const char* fieldEnd = stop;
      if (error != std::errc() || (stop != end && *stop != ',') || !std::isfinite(value)) {
        fieldEnd = field;
        while (fieldEnd < end && *fieldEnd != ',') ++fieldEnd;
        if (!parseNumber(field, fieldEnd, value))
          throw CsvError{line_, "field " + std::to_string(fields) + " is not a number"};
      }
      data_.values.push_back(value);
      if (fieldEnd == end) break;
      field = fieldEnd + 1;
    }
    if (line_ == 1) {
      width_ = fields;
      data_.width = fields - 1;
    } else if (fields != width_) {
      throw CsvError{line_,
                     std::to_string(fields) + " fields where the first row has " + std::to_string(width_)};
    }
    const float classValue = data_.values.back();
    if (classValue != 0.0F && classValue != 1.0F) throw CsvError{line_, "the class is neither 0 nor 1"};
    data_.values.pop_back();
    data_.classes.push_back(classValue == 1.0F ? 1 : 0);
  }

  Dataset& data_;
  std::size_t line_ = 0;
  std::size_t width_ = 0;  // fields of the first row
};

// Asks for the pages of a large block to come as huge pages where the
// system gives them on request: filling a data set of hundreds of
// megabytes would otherwise take a page fault every 4 KiB, which costs
// more than reading the numbers.
void preferHugePages(const void* block, std::size_t bytes) {
  constexpr std::uintptr_t huge = std::uintptr_t{1} << 21;
  const auto begin = (reinterpret_cast<std::uintptr_t>(block) + huge - 1) & ~(huge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(huge - 1);
  // Only advice: where it is not taken, the pages come one by one.
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Room for every value and class that the rest of a regular file can hold,
// each at least a character and a separator, so that the vectors never
// grow by copying themselves. Pages that no value reaches are never
// touched and cost no memory.
void reserveForFile(std::FILE* file, Dataset& data) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return;
  const long at = std::ftell(file);
  if (at < 0 || info.st_size < at) return;
  const auto most = static_cast<std::size_t>(info.st_size - at) / 2 + 1;
  try {
    data.values.reserve(most);
    data.classes.reserve(most);
    preferHugePages(data.values.data(), most * sizeof(float));
    preferHugePages(data.classes.data(), most);
  } catch (const std::bad_alloc&) {
    // Then the vectors grow as the rows come, as far as memory goes.
  }
}

}  // namespace

void readCsv(std::FILE* file, Dataset& into) {
  into = Dataset{};
  Dataset read;
  reserveForFile(file, read);
  RowReader rows(read);
  std::size_t capacity = blockSize;
  std::unique_ptr<char[]> buffer(new char[capacity]);
  std::size_t held = 0;  // the start of a line not ended yet, at the front of the buffer
  for (bool ended = false; !ended;) {
    if (held == capacity) {
      // A line longer than the buffer: it must be held whole to be read.
      try {
        std::unique_ptr<char[]> larger(new char[2 * capacity]);
        std::memcpy(larger.get(), buffer.get(), held);
        buffer = std::move(larger);
        capacity *= 2;
      } catch (const std::bad_alloc&) {
        throw CsvError{rows.lines() + 1, "the line is too long to be held in memory"};
      }
    }
    errno = 0;
    const std::size_t got = std::fread(buffer.get() + held, 1, capacity - held, file);
    if (got < capacity - held) {
      if (std::ferror(file) != 0)
        throw CsvError{rows.lines() + 1, std::string("read failed: ") + std::strerror(errno)};
      ended = true;
    }
    const char* line = buffer.get();
    const char* const end = line + held + got;
    while (const void* newline = std::memchr(line, '\n', static_cast<std::size_t>(end - line))) {
      const char* const lineEnd = static_cast<const char*>(newline);
      rows.take(line, lineEnd);
      line = lineEnd + 1;
    }
    // The last line may lack its line end.
    if (ended && line < end) {
      rows.take(line, end);
      line = end;
    }
    held = static_cast<std::size_t>(end - line);
    std::memmove(buffer.get(), line, held);
  }
  // The blocks that the buffer and a growing vector left behind may stay
  // resident, beside which the training set would then sit. The room
  // reserved beyond the last value is never touched and costs nothing.
  buffer.reset();
  malloc_trim(0);
  into = std::move(read);
}

std::optional<std::string> loadCsv(const std::string& name, std::FILE* standardInput, Dataset& into) {
  into = Dataset{};
  std::FILE* const file = name == "-" ? standardInput : std::fopen(name.c_str(), "r");
  if (file == nullptr) return printable(name) + ": cannot open: " + std::strerror(errno);
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
    return printable(name) + ":" + std::to_string(error.line) + ": " + error.reason;
  }
  return std::nullopt;
}
