#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Reading the numbers of data files. Every number is the float that strtof
// makes of its text, however it is read: a short decimal in a few
// instructions, others by a correctly rounding library parser, and the
// forms that it does not take (a leading '+', hexadecimal, infinities,
// NaNs, values beyond a float's range) by strtof itself.

// The short path divides in float and relies on that division being the
// one correctly rounded IEEE operation.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be done in float");

// Clinger's exact case: up to seven digits make an integer below 2^24 and
// a divisor of at most 10^7 is a float exactly, so one correctly rounded
// division gives the float nearest to the decimal, as strtof does. It
// covers the fields of most data files (1.0, 5.1, 0.123456) for a fraction
// of a library call's cost.
inline constexpr int shortDigits = 7;
inline constexpr float powersOfTen[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F};

inline bool isDecimalDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

inline const char* shortDecimal(const char* p, const char* end, float& value) {
  const bool negative = p < end && *p == '-';
  p += negative ? 1 : 0;
  const char* const first = p;
  std::uint32_t mantissa = 0;
  // A mantissa of more digits may wrap round; it is then not used.
  for (; p < end && isDecimalDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<std::uint32_t>(*p - '0');
  auto digits = p - first;
  const char* fractionStart = p;
  if (p < end && *p == '.') {
    fractionStart = ++p;
    for (; p < end && isDecimalDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<std::uint32_t>(*p - '0');
  }
  const auto fraction = p - fractionStart;
  digits += fraction;
  // An exponent is left to the library, as is a number of more digits.
  if (digits == 0 || digits > shortDigits || (p < end && (*p | 0x20) == 'e')) return nullptr;
  const float magnitude = static_cast<float>(mantissa) / powersOfTen[fraction];
  value = negative ? -magnitude : magnitude;
  return p;
}

// The number at [begin, end) as the library reads it, as far as it goes.
const char* libraryNumber(const char* begin, const char* end, float& value);

// The number at `begin`, read as far as it goes: answers where it stops,
// having set `value`, or null where no finite number starts there. The
// caller checks that what follows ends the field. Inline, for the loops
// that read millions of fields.
inline const char* leadingNumber(const char* begin, const char* end, float& value) {
  if (const char* stop = shortDecimal(begin, end, value)) return stop;
  return libraryNumber(begin, end, value);
}

// The whole of [begin, end) as a number, blanks (spaces and tabs) around
// it aside; false where it is not one.
bool parseNumber(const char* begin, const char* end, float& value);
inline bool parseNumber(std::string_view text, float& value) {
  return parseNumber(text.data(), text.data() + text.size(), value);
}

// The shortest text that reads back as `value`, into `buffer`; answers its
// length. Nominal columns key the numbers among their labels by it, so that
// 1 and 1.0 are one label.
constexpr std::size_t shortestTextSize = 32;
std::size_t shortestText(float value, char (&buffer)[shortestTextSize]);
