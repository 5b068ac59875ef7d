#include "tools/common/number_parsing.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <system_error>

#if __has_include(<fast_float/fast_float.h>)
#include <fast_float/fast_float.h>
#define TREEBENCH_FAST_FLOAT 1
#endif

// The short path divides in float and relies on that division being the
// one correctly rounded IEEE operation.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be done in float");

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Clinger's exact case: up to seven digits make an integer below 2^24 and
// a divisor of at most 10^7 is a float exactly, so one correctly rounded
// division gives the float nearest to the decimal, as strtof does. It
// covers the fields of most data files (1.0, 5.1, 0.123456) for a fraction
// of a library call's cost.
constexpr int shortDigits = 7;
constexpr float powersOfTen[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F};

const char* shortDecimal(const char* p, const char* end, float& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::uint32_t mantissa = 0;
  int digits = 0;
  int fraction = 0;
  for (; p < end && static_cast<unsigned char>(*p - '0') <= 9; ++p, ++digits)
    mantissa = mantissa * 10 + static_cast<std::uint32_t>(*p - '0');
  if (p < end && *p == '.') {
    for (++p; p < end && static_cast<unsigned char>(*p - '0') <= 9; ++p, ++digits, ++fraction)
      mantissa = mantissa * 10 + static_cast<std::uint32_t>(*p - '0');
  }
  // An exponent is left to the library; so is a number of more digits,
  // whose mantissa could have overflowed above, which is then not used.
  if (digits == 0 || digits > shortDigits || (p < end && (*p == 'e' || *p == 'E'))) return nullptr;
  const float magnitude = static_cast<float>(mantissa) / powersOfTen[fraction];
  value = negative ? -magnitude : magnitude;
  return p;
}

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

// The forms only strtof takes, on a copy that ends where the field ends.
bool strtofNumber(const char* begin, const char* end, float& value) {
  const std::string text(begin, end);
  char* stop = nullptr;
  value = std::strtof(text.c_str(), &stop);
  return stop == text.c_str() + text.size();
}

}  // namespace

const char* leadingNumber(const char* begin, const char* end, float& value) {
  if (const char* stop = shortDecimal(begin, end, value)) return stop;
  return libraryNumber(begin, end, value);
}

bool parseNumber(const char* begin, const char* end, float& value) {
  while (begin < end && isBlank(*begin)) ++begin;
  while (end > begin && isBlank(end[-1])) --end;
  if (begin == end) return false;
  if (leadingNumber(begin, end, value) == end) return true;
  return strtofNumber(begin, end, value);
}

std::size_t shortestText(float value, char (&buffer)[shortestTextSize]) {
  const auto [stop, error] = std::to_chars(buffer, buffer + shortestTextSize, value);
  return error == std::errc() ? static_cast<std::size_t>(stop - buffer) : 0;
}
