#include "tools/common/data_file.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "tools/common/arff_reader.h"
#include "tools/common/csv_record.h"
#include "tools/common/csv_rows.h"
#include "tools/common/data_blocks.h"
#include "tools/common/input_file.h"
#include "tools/common/number_parsing.h"
#include "tools/common/plain_rows.h"
#include "tools/common/printable.h"

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Takes the lines of [begin, end) one by one, the last without its line end
// where `last`; answers where the text not taken begins.
template <typename Take>
const char* takeLines(const char* begin, const char* end, bool last, Take take) {
  while (const void* newline = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin))) {
    const char* const lineEnd = static_cast<const char*>(newline);
    take(begin, lineEnd);
    begin = lineEnd + 1;
  }
  if (last && begin < end) {
    take(begin, end);
    begin = end;
  }
  return begin;
}

// A field that names a column: neither a number nor a missing value.
bool isName(std::string_view field) {
  float number = 0.0F;
  return !isMissing(field) && !parseNumber(field, number);
}

// Whether the first record names the columns, from it and the record after
// it: where one of its fields is a name above a number, or every one of
// them is a name.
bool isHeader(const CsvRecord& first, const CsvRecord* second) {
  bool names = true;
  for (std::size_t i = 0; i < first.fields.size(); ++i) {
    const bool name = isName(first.fields[i]);
    float number = 0.0F;
    if (name && second != nullptr && i < second->fields.size() && parseNumber(second->fields[i], number))
      return true;
    names &= name;
  }
  return names;
}

// Decides from the first lines what the file is, then reads it as that.
class DataReader {
 public:
  DataReader(Dataset& into, const DataOptions& options) : data_(into), options_(options) {}

  std::size_t line() const {
    if (plain_) return plain_->lines() + 1;
    if (csv_) return csv_->lines() + 1;
    if (arff_) return arff_->lines() + 1;
    return 1;
  }

  const char* take(const char* begin, const char* end, bool last) {
    if (!plain_ && !csv_ && !arff_) {
      if (!decide(begin, end, last)) return begin;
      if (std::string_view(begin, static_cast<std::size_t>(end - begin)).starts_with(byteOrderMark))
        begin += byteOrderMark.size();
    }
    if (plain_) return plain_->take(begin, end, last);
    if (arff_) return takeLines(begin, end, last, [this](const char* b, const char* e) { arff_->take(b, e); });
    return csv_->take(begin, end, last);
  }

  void finish() {
    if (csv_) csv_->finish();
    if (arff_) arff_->finish();
    if (data_.size() > 0) return;
    if (data_.rowsWithoutClass > 0) throw DataError{data_.firstRowWithoutClass, "no row has a class"};
    throw DataError{line(), "the file holds no rows"};
  }

 private:
  // Answers false where the text so far does not decide yet.
  bool decide(const char* begin, const char* end, bool last) {
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    if (!last && text.size() < byteOrderMark.size() && byteOrderMark.starts_with(text)) return false;
    if (text.starts_with(byteOrderMark)) begin += byteOrderMark.size();
    // ARFF: the first line that is neither blank nor a comment declares.
    for (const char* p = begin;;) {
      const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      if (newline == nullptr && !last) return false;
      const char* lineEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
      while (p < lineEnd && isBlank(*p)) ++p;
      if (p < lineEnd && *p == '@') {
        arff_.emplace(data_, options_);
        return true;
      }
      if ((p < lineEnd && *p != '%') || lineEnd == end) break;
      p = lineEnd + 1;
    }
    if (options_.header != HeaderRow::decide) {
      csv_.emplace(data_, options_, options_.header == HeaderRow::present);
      return true;
    }
    const void* newline = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    const char* const firstEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
    if (begin < end) {
      if (const auto fields = plainFields(begin, firstEnd)) {
        const std::size_t field = classField(options_.classColumn, {}, fields->size(), 1);
        const float classValue = (*fields)[field];
        if (classValue == 0.0F || classValue == 1.0F) {
          plain_.emplace(data_, fields->size(), field);
          return true;
        }
      }
    }
    // The first two records that are not blank.
    CsvRecord records[2];
    std::size_t found = 0;
    std::size_t line = 1;
    for (const char* p = begin; p < end && found < 2;) {
      const char* next = readCsvRecord(p, end, last, line, records[found]);
      if (next == nullptr) return false;
      line += 1 + records[found].lineEnds;
      p = next;
      if (!records[found].blank()) ++found;
    }
    csv_.emplace(data_, options_, found > 0 && isHeader(records[0], found > 1 ? &records[1] : nullptr));
    return true;
  }

  Dataset& data_;
  const DataOptions& options_;
  std::optional<PlainRows> plain_;
  std::optional<CsvRows> csv_;
  std::optional<ArffReader> arff_;
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

void readData(std::FILE* file, Dataset& into, const DataOptions& options, std::size_t blockSize) {
  into = Dataset{};
  Dataset read;
  reserveForFile(file, read);
  DataReader reader(read, options);
  readBlocks(
      file, [&reader](const char* begin, const char* end, bool last) { return reader.take(begin, end, last); },
      [&reader] { return reader.line(); }, blockSize);
  reader.finish();
  // The blocks that the buffer and a growing vector left behind may stay
  // resident, beside which the training set would then sit. The room
  // reserved beyond the last value is never touched and costs nothing.
  malloc_trim(0);
  into = std::move(read);
}

std::optional<std::string> loadData(const std::string& name, std::FILE* standardInput, Dataset& into,
                                    const DataOptions& options) {
  into = Dataset{};
  InputFile input;
  if (auto refused = openInput(name, standardInput, input)) return refused;
  try {
    readData(input.file, into, options);
  } catch (const DataError& error) {
    return printable(name) + ":" + std::to_string(error.line) + ": " + printable(error.reason);
  } catch (const std::bad_alloc&) {
    return printable(name) + ": out of memory";
  } catch (const std::length_error&) {
    return printable(name) + ": out of memory";
  }
  return std::nullopt;
}

std::optional<std::string> beyondTwoClasses(const std::string& name, const Dataset& data) {
  if (data.classCount() <= 2) return std::nullopt;
  return printable(name) + ": " + std::to_string(data.classCount()) +
         " classes, where the workbench's method learns two";
}

std::optional<std::string> rowsLeftOut(const std::string& name, const Dataset& data) {
  if (data.rowsWithoutClass == 0) return std::nullopt;
  const std::size_t rows = data.rowsWithoutClass;
  return printable(name) + ": " + std::to_string(rows) + (rows == 1 ? " row" : " rows") +
         " without a class left out, the first on line " + std::to_string(data.firstRowWithoutClass);
}

bool loadForMethod(const char* program, const std::string& name, std::FILE* standardInput,
                   const DataOptions& options, Dataset& into, std::ostream& err) {
  auto refused = loadData(name, standardInput, into, options);
  if (!refused) refused = beyondTwoClasses(name, into);
  if (refused) {
    into = Dataset{};
    err << program << ": " << *refused << '\n';
    return false;
  }
  if (const auto left = rowsLeftOut(name, into)) err << program << ": " << *left << '\n';
  return true;
}
