#include "tools/common/plain_rows.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "tools/common/data_error.h"
#include "tools/common/number_parsing.h"

namespace {

// A row of one-digit fields, as the workbench's examples are written, in
// one pass without a call per field. Answers false, having taken nothing,
// for any other line.
bool takeDigits(const char* begin, const char* end, std::size_t fields, std::vector<float>& values,
                std::vector<std::uint8_t>& classes) {
  const auto length = static_cast<std::size_t>(end - begin);
  if (length != 2 * fields - 1) return false;
  bool digits = true;
  for (std::size_t i = 0; i < length; i += 2) digits &= static_cast<unsigned char>(begin[i] - '0') <= 9;
  for (std::size_t i = 1; i < length; i += 2) digits &= begin[i] == ',';
  const char classDigit = end[-1];
  if (!digits || (classDigit != '0' && classDigit != '1')) return false;
  for (std::size_t i = 0; i + 1 < length; i += 2) values.push_back(static_cast<float>(begin[i] - '0'));
  classes.push_back(classDigit == '1' ? 1 : 0);
  return true;
}

}  // namespace

PlainRows::PlainRows(Dataset& into, std::size_t fields, std::size_t classField)
    : data_(into), fields_(fields), classField_(classField) {
  data_.width = fields - 1;
}

const char* PlainRows::take(const char* begin, const char* end, bool last) {
  // The rows go to vectors of this call's own, which nothing else can
  // reach, so that their ends stay in registers rather than being read
  // again after every value; the data set gets them back at the end. A
  // refusal throws them away with the rest.
  std::vector<float> values = std::move(data_.values);
  std::vector<std::uint8_t> classes = std::move(data_.classes);
  const bool digitRows = classField_ + 1 == fields_;
  for (;;) {
    const void* newline = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    if (newline == nullptr && (!last || begin == end)) break;
    const char* const next = newline != nullptr ? static_cast<const char*>(newline) + 1 : end;
    const char* lineEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
    ++line_;
    if (lineEnd > begin && lineEnd[-1] == '\r') --lineEnd;
    if (!digitRows || !takeDigits(begin, lineEnd, fields_, values, classes)) {
      std::size_t fields = 0;
      for (const char* field = begin;;) {
        ++fields;
        // A number read right up to the comma needs no search for the comma
        // first; anything else is looked at whole.
        float value = 0.0F;
        const char* fieldEnd = leadingNumber(field, lineEnd, value);
        if (fieldEnd == nullptr || (fieldEnd != lineEnd && *fieldEnd != ',')) {
          fieldEnd = field;
          while (fieldEnd < lineEnd && *fieldEnd != ',') ++fieldEnd;
          if (!parseNumber(field, fieldEnd, value))
            throw DataError{line_, "field " + std::to_string(fields) + " is not a number"};
        }
        values.push_back(value);
        if (fieldEnd == lineEnd) break;
        field = fieldEnd + 1;
      }
      if (fields != fields_)
        throw DataError{line_,
                        std::to_string(fields) + " fields where the first row has " + std::to_string(fields_)};
      const std::size_t at = values.size() - fields_ + classField_;
      const float classValue = values[at];
      if (classValue != 0.0F && classValue != 1.0F) throw DataError{line_, "the class is neither 0 nor 1"};
      if (digitRows) {
        values.pop_back();
      } else {
        values.erase(values.begin() + static_cast<std::ptrdiff_t>(at));
      }
      classes.push_back(classValue == 1.0F ? 1 : 0);
    }
    begin = next;
  }
  data_.values = std::move(values);
  data_.classes = std::move(classes);
  return begin;
}

std::optional<std::vector<float>> plainFields(const char* begin, const char* end) {
  if (end > begin && end[-1] == '\r') --end;
  std::vector<float> fields;
  for (const char* field = begin;;) {
    const char* fieldEnd = field;
    while (fieldEnd < end && *fieldEnd != ',') ++fieldEnd;
    float value = 0.0F;
    if (!parseNumber(field, fieldEnd, value)) return std::nullopt;
    fields.push_back(value);
    if (fieldEnd == end) return fields;
    field = fieldEnd + 1;
  }
}
