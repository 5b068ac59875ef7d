#include "tools/common/number_parsing.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#if __has_include(<fast_float/fast_float.h>)
#include <fast_float/fast_float.h>
#define TREEBENCH_FAST_FLOAT 1
#endif

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const char* libraryNumber(const char* begin, const char* end, float& value) {
  float read = 0.0F;
#ifdef TREEBENCH_FAST_FLOAT
  const auto [stop, error] = fast_float::from_chars(begin, end, read);
#else
  const auto [stop, error] = std::from_chars(begin, end, read);
#endif
  if (error != std::errc() || !std::isfinite(read)) return nullptr;
  value = read;
  return stop;
}

namespace {

// The forms only strtof takes, on a copy that ends where the field ends.
bool strtofNumber(const char* begin, const char* end, float& value) {
  const std::string text(begin, end);
  char* stop = nullptr;
  value = std::strtof(text.c_str(), &stop);
  return stop == text.c_str() + text.size();
}

}  // namespace

bool parseNumber(const char* begin, const char* end, float& value) {
  while (begin < end && isBlank(*begin)) ++begin;
  while (end > begin && isBlank(end[-1])) --end;
  if (begin == end) return false;
  if (leadingNumber(begin, end, value) == end) return true;
  // What strtof alone takes starts with a sign, a digit, a point, an
  // infinity or a NaN, or white space other than blanks: a name such as
  // "sunny" needs no copy to be told apart.
  const auto first = static_cast<unsigned char>(*begin);
  if (std::strchr("+-.0123456789iInN\v\f\r\n", first) == nullptr || first == 0) return false;
  return strtofNumber(begin, end, value);
}

std::size_t shortestText(float value, char (&buffer)[shortestTextSize]) {
  const auto [stop, error] = std::to_chars(buffer, buffer + shortestTextSize, value);
  return error == std::errc() ? static_cast<std::size_t>(stop - buffer) : 0;
}
