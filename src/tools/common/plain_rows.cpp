#include "tools/common/plain_rows.h"

#include <string>

#include "tools/common/data_error.h"
#include "tools/common/number_parsing.h"

PlainRows::PlainRows(Dataset& into, std::size_t fields, std::size_t classField)
    : data_(into), fields_(fields), classField_(classField) {
  data_.width = fields - 1;
}

void PlainRows::take(const char* begin, const char* end) {
  ++line_;
  if (end > begin && end[-1] == '\r') --end;
  if (!takeDigits(begin, end)) takeNumbers(begin, end);
}

// A row of one-digit fields, as the workbench's examples are written, in
// one pass without a call per field. Answers false, having taken nothing,
// for any other line.
bool PlainRows::takeDigits(const char* begin, const char* end) {
  const auto length = static_cast<std::size_t>(end - begin);
  if (classField_ + 1 != fields_ || length != 2 * fields_ - 1) return false;
  bool digits = true;
  for (std::size_t i = 0; i < length; i += 2) digits &= static_cast<unsigned char>(begin[i] - '0') <= 9;
  for (std::size_t i = 1; i < length; i += 2) digits &= begin[i] == ',';
  const char classDigit = end[-1];
  if (!digits || (classDigit != '0' && classDigit != '1')) return false;
  for (std::size_t i = 0; i + 1 < length; i += 2) data_.values.push_back(static_cast<float>(begin[i] - '0'));
  data_.classes.push_back(classDigit == '1' ? 1 : 0);
  return true;
}

void PlainRows::takeNumbers(const char* begin, const char* end) {
  const std::size_t rowStart = data_.values.size();
  std::size_t fields = 0;
  for (const char* field = begin;;) {
    ++fields;
    // A number read right up to the comma needs no search for the comma
    // first; anything else is looked at whole.
    float value = 0.0F;
    const char* fieldEnd = leadingNumber(field, end, value);
    if (fieldEnd == nullptr || (fieldEnd != end && *fieldEnd != ',')) {
      fieldEnd = field;
      while (fieldEnd < end && *fieldEnd != ',') ++fieldEnd;
      if (!parseNumber(field, fieldEnd, value))
        throw DataError{line_, "field " + std::to_string(fields) + " is not a number"};
    }
    data_.values.push_back(value);
    if (fieldEnd == end) break;
    field = fieldEnd + 1;
  }
  if (fields != fields_)
    throw DataError{line_, std::to_string(fields) + " fields where the first row has " + std::to_string(fields_)};
  const auto at = static_cast<std::ptrdiff_t>(rowStart + classField_);
  const float classValue = data_.values[static_cast<std::size_t>(at)];
  if (classValue != 0.0F && classValue != 1.0F) throw DataError{line_, "the class is neither 0 nor 1"};
  if (classField_ + 1 == fields_) {
    data_.values.pop_back();
  } else {
    data_.values.erase(data_.values.begin() + at);
  }
  data_.classes.push_back(classValue == 1.0F ? 1 : 0);
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
